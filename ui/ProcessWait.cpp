#include "ui/ProcessWait.h"

#include <glib.h>
#include <wx/app.h>
#include <wx/apptrait.h>
#include <wx/evtloop.h>
#include <wx/process.h>
#include <wx/utils.h>

namespace {

int g_runningWaits = 0;

// Deletes itself when its process ends, so that giving up a wait never
// leaves wx with a dangling process object.
class WatchedProcess : public wxProcess {
public:
    explicit WatchedProcess(std::shared_ptr<ProcessEnd> end) : m_end(std::move(end)) {}

    void OnTerminate(int pid, int status) override {
        m_end->pid = pid;
        m_end->exitCode = status;
        m_end->ended = true;
        delete this;
    }

private:
    std::shared_ptr<ProcessEnd> m_end;
};

struct WaitCount {
    WaitCount() { ++g_runningWaits; }
    ~WaitCount() { --g_runningWaits; }
};

// Wakes the main context now and then, in case the end of the process was
// noticed outside it.
gboolean tick(gpointer) {
    return G_SOURCE_CONTINUE;
}

}  // namespace

std::shared_ptr<const ProcessEnd> startProcess(const std::vector<std::string>& argv) {
    if (argv.empty()) {
        return nullptr;
    }
    std::vector<const char*> args;
    for (const std::string& a : argv) {
        args.push_back(a.c_str());
    }
    args.push_back(nullptr);
    auto end = std::make_shared<ProcessEnd>();
    auto* process = new WatchedProcess(end);
    const long pid = wxExecute(args.data(), wxEXEC_ASYNC, process);
    if (pid <= 0) {
        // wx calls no termination for a process that never started.
        delete process;
        return nullptr;
    }
    end->pid = pid;
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
    const guint timer = g_timeout_add(100, tick, nullptr);
    while (!process->ended) {
        g_main_context_iteration(nullptr, TRUE);
        if (wxTheApp) {
            wxTheApp->ProcessPendingEvents();
        }
    }
    g_source_remove(timer);
    return true;
}

int runningWaits() {
    return g_runningWaits;
}
