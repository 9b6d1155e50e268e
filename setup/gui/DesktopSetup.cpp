#include "setup/gui/DesktopSetup.h"

#include <unistd.h>
#include <wx/app.h>
#include <wx/frame.h>
#include <wx/init.h>
#include <wx/progdlg.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "platform/OdbcInstaller.h"
#include "setup/gui/PageDialog.h"
#include "setup/model/Answers.h"
#include "setup/model/SetupRun.h"
#include "setup/model/SetupStrings.h"
#include "ui/UserInterface.h"

namespace setup {

namespace {

wxString fromUtf8(const std::string& text) {
    return wxString::FromUTF8(text.c_str());
}

std::string ownPath(const char* argv0) {
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length > 0) {
        return std::string(self, static_cast<size_t>(length));
    }
    return argv0 != nullptr ? argv0 : std::string();
}

// The program's state as the run starts: the mode, the places and the values
// the last run left in the registry.
bool prepare(SetupContext& context, int argc, char** argv) {
    std::string error;
    if (!Places::fromEnvironment(context.places, error)) {
        std::fprintf(stderr, "install: %s\n", error.c_str());
        return false;
    }
    // Tests install "as root" below a prefix: the system's registry file goes
    // there too, unless they chose one.
    const std::string registry = context.places.systemRegistryFile();
    if (!registry.empty()) {
        setenv("ZEBDOC_SYSTEM_REGISTRY", registry.c_str(), 0);
    }
    context.programPath = ownPath(argc > 0 ? argv[0] : nullptr);
    context.odbcInstaller = zeb::platform::OdbcInstaller::kLibraryName;
    context.state.installMode = installModeFrom(commandLineOf(argc, argv));
    context.state.loadFromRegistry();
    return true;
}

int runUnattended(SetupContext& context, const std::string& answersFile) {
    Answers answers;
    std::string error;
    if (!Answers::load(answersFile, answers, error)) {
        std::fprintf(stderr, "install: the answers file %s\n", error.c_str());
        trace("the answers file " + error);
        return 1;
    }
    trace("unattended, with the answers of " + answersFile);
    AnswersHost host(answers);
    context.person = &host;
    switch (runSetup(context, host)) {
        case RunOutcome::Succeeded:
            return 0;
        case RunOutcome::Cancelled:
            std::fprintf(stderr, "install: setup was cancelled (see the trace)\n");
            return 2;
        default:
            return 1;
    }
}

class SetupApp : public wxApp {
public:
    explicit SetupApp(SetupContext& context) : m_context(context) {}

    bool OnInit() override {
        // The window owns the pages but stays out of sight: the person sees
        // the pages, the message boxes and the progress of the copies. It is
        // not shown minimized, since some window managers then keep the
        // dialogs it owns minimized too.
        auto* frame = new wxFrame(nullptr, wxID_ANY, kMainWindowTitle);
        CallAfter([this, frame] {
            DesktopSetupPerson person(frame);
            DialogPageHost host(frame);
            m_context.person = &person;
            runSetup(m_context, host);
            m_context.person = nullptr;
            frame->Destroy();
        });
        return true;
    }

private:
    SetupContext& m_context;
};

}  // namespace

int DialogPageHost::showPage(const PageEntry& entry, Page& page) {
    const PageTemplate* view = pageTemplate(entry.templateId);
    if (view == nullptr) {
        return -1;
    }
    PageDialog dialog(m_owner, *view, page);
    return userInterface().showModal(dialog);
}

DesktopSetupPerson::DesktopSetupPerson(wxWindow* owner) : m_owner(owner) {}

DesktopSetupPerson::~DesktopSetupPerson() = default;

int DesktopSetupPerson::messageBox(int, const std::string& text, const std::string& caption,
                                   int style) {
    long wxStyle = (style & kStyleOkCancel) ? wxOK | wxCANCEL : wxOK;
    if (style & kStyleIconError) {
        wxStyle |= wxICON_ERROR;
    } else if (style & kStyleIconInformation) {
        wxStyle |= wxICON_INFORMATION;
    }
    const int answer =
        userInterface().messageBox(m_owner, fromUtf8(text), fromUtf8(caption), wxStyle);
    return answer == wxOK ? kAnswerOk : kAnswerCancel;
}

bool DesktopSetupPerson::chooseFolder(const std::string& title, std::string& folder) {
    return userInterface().chooseFolder(m_owner, fromUtf8(title), folder);
}

void DesktopSetupPerson::fileProgress(size_t done, size_t total, const std::string& file) {
    if (total == 0) {
        return;
    }
    if (!m_progress && done < total) {
        m_progress = std::make_unique<wxProgressDialog>(
            kMainWindowTitle, wxEmptyString, static_cast<int>(total), m_owner,
            wxPD_APP_MODAL | wxPD_AUTO_HIDE | wxPD_SMOOTH);
    }
    if (!m_progress) {
        return;
    }
    if (done >= total) {
        m_progress.reset();
        return;
    }
    m_progress->Update(static_cast<int>(done), fromUtf8(file));
}

void DesktopSetupPerson::filesDone() {
    m_progress.reset();
}

int setupMain(int argc, char** argv) {
    SetupContext context;
    if (!prepare(context, argc, argv)) {
        return 1;
    }
    const char* answers = std::getenv("ZEBDOC_SETUP_ANSWERS");
    if (answers != nullptr && *answers != '\0') {
        return runUnattended(context, answers);
    }
    wxApp::SetInstance(new SetupApp(context));
    wxEntry(argc, argv);
    // The whole run happens inside the window's first command; what it did
    // is in the trace and was shown to the person.
    return 0;
}

}  // namespace setup
