#include "tests/shellext/ShellextTestSupport.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

extern char** environ;

namespace zebtest {

ChildProgram::ChildProgram(const std::vector<std::string>& argv, const std::string& cwd,
                           const std::string& output)
    : m_output(output) {
    std::vector<std::string> args = argv;
    std::vector<char*> pointers;
    for (std::string& arg : args) {
        pointers.push_back(arg.data());
    }
    pointers.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    if (!cwd.empty()) {
        posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    }
    if (posix_spawn(&m_pid, pointers[0], &actions, nullptr, pointers.data(), environ) != 0) {
        m_pid = -1;
        ADD_FAILURE() << "cannot start " << argv[0];
    }
    posix_spawn_file_actions_destroy(&actions);
}

ChildProgram::~ChildProgram() {
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
}

int ChildProgram::wait(int seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (m_pid > 0) {
        int status = 0;
        const pid_t done = waitpid(m_pid, &status, WNOHANG);
        if (done == m_pid) {
            m_pid = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        if (std::chrono::steady_clock::now() > end) {
            ADD_FAILURE() << "still running after " << seconds << " s:\n" << output();
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
            m_pid = -1;
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return -1;
}

HostRun runHost(const std::vector<std::string>& arguments, const std::string& cwd,
                const std::string& workDir) {
    static int serial = 0;
    std::vector<std::string> argv = {ZEBDOC_BINARY_DIR "/bin/zebui-host"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    ChildProgram child(argv, cwd, workDir + "/host-output-" + std::to_string(++serial));
    HostRun run;
    run.status = child.wait();
    run.output = child.output();
    return run;
}

}  // namespace zebtest

namespace {

// The extension is loaded and unloaded by every test; the toolkit libraries
// it brings allocate for their whole life when loaded (type tables, caches).
// Kept resident here, they and what they hold stay reachable instead of
// turning into leaks of unloaded code under the leak checker.
const bool g_toolkitResident = [] {
    for (const char* library : {"libwx_baseu-3.2.so.0", "libwx_gtk3u_core-3.2.so.0",
                                "libwx_gtk3u_html-3.2.so.0", "libgtk-3.so.0", "libgio-2.0.so.0"}) {
        dlopen(library, RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE);
    }
    return true;
}();

}  // namespace
