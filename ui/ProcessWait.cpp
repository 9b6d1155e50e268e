#include "ui/ProcessWait.h"

#include <glib-unix.h>
#include <glib.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/apptrait.h>
#include <wx/evtloop.h>

#include <cerrno>

namespace {

int g_runningWaits = 0;

struct WaitCount {
    WaitCount() { ++g_runningWaits; }
    ~WaitCount() { --g_runningWaits; }
};

// How often a child is looked at where the kernel cannot tell its end
// through a pidfd.
constexpr guint kPollMs = 50;

// One watched child; deletes itself once the child is reaped.
struct ChildWatch {
    std::shared_ptr<ProcessEnd> end;
    int pidfd = -1;

    // True once the child has ended (and is reaped).
    bool reap() {
        int status = 0;
        const pid_t got = ::waitpid(static_cast<pid_t>(end->pid), &status, WNOHANG);
        if (got == 0 || (got < 0 && errno == EINTR)) {
            return false;
        }
        if (got > 0) {
            end->exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        } else {
            end->exitCode = -1;  // not ours to reap after all
        }
        end->ended = true;
        return true;
    }

    gboolean done() {
        if (pidfd >= 0) {
            ::close(pidfd);
        }
        delete this;
        return G_SOURCE_REMOVE;
    }
};

gboolean onPidfd(gint, GIOCondition, gpointer data) {
    auto* watch = static_cast<ChildWatch*>(data);
    return watch->reap() ? watch->done() : G_SOURCE_CONTINUE;
}

gboolean onPoll(gpointer data) {
    auto* watch = static_cast<ChildWatch*>(data);
    return watch->reap() ? watch->done() : G_SOURCE_CONTINUE;
}

}  // namespace

std::shared_ptr<const ProcessEnd> watchChild(long pid) {
    if (pid <= 0) {
        return nullptr;
    }
    auto* watch = new ChildWatch;
    watch->end = std::make_shared<ProcessEnd>();
    watch->end->pid = pid;
    std::shared_ptr<const ProcessEnd> end = watch->end;
    // Without signals: SIGCHLD belongs to whoever installed a handler last
    // (wx and GLib both do), a pidfd to nobody else.
    watch->pidfd = static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0));
    if (watch->pidfd >= 0) {
        g_unix_fd_add(watch->pidfd, G_IO_IN, onPidfd, watch);
    } else if (watch->reap()) {
        watch->done();
    } else {
        g_timeout_add(kPollMs, onPoll, watch);
    }
    return end;
}

std::shared_ptr<const ProcessEnd> endedProcess() {
    auto end = std::make_shared<ProcessEnd>();
    end->ended = true;
    return end;
}

bool waitWithDispatch(const std::shared_ptr<const ProcessEnd>& process) {
    if (!process) {
        return false;
    }
    WaitCount count;
    // Dispatching needs an active event loop; at start-up or in a test there
    // may be none yet.
    std::unique_ptr<wxEventLoopBase> ownLoop;
    std::unique_ptr<wxEventLoopActivator> activator;
    if (!wxEventLoopBase::GetActive() && wxTheApp) {
        ownLoop.reset(wxTheApp->GetTraits()->CreateEventLoop());
        if (ownLoop) {
            activator = std::make_unique<wxEventLoopActivator>(ownLoop.get());
        }
    }
    while (!process->ended) {
        g_main_context_iteration(nullptr, TRUE);
        if (wxTheApp) {
            wxTheApp->ProcessPendingEvents();
        }
    }
    return true;
}

int runningWaits() {
    return g_runningWaits;
}
