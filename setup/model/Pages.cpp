#include "setup/model/Pages.h"

#include "setup/model/DataSourcePage.h"
#include "setup/model/SetupStrings.h"

namespace setup {

std::string PageFields::text(int id) const {
    auto found = m_texts.find(id);
    return found != m_texts.end() ? found->second : std::string();
}

void PageFields::setText(int id, const std::string& text) {
    m_texts[id] = text;
}

const std::vector<std::string>& PageFields::choices(int id) const {
    static const std::vector<std::string> none;
    auto found = m_choices.find(id);
    return found != m_choices.end() ? found->second : none;
}

void PageFields::setChoices(int id, std::vector<std::string> choices) {
    m_choices[id] = std::move(choices);
}

void PageFields::setHidden(int id, bool hidden) {
    if (hidden) {
        m_hidden.insert(id);
    } else {
        m_hidden.erase(id);
    }
}

namespace {

class WelcomePage : public Page {
public:
    using Page::Page;
    std::optional<int> command(int id, PageFields&) override {
        if (id == kWelcomeNext) {
            return kEndWelcomeNext;
        }
        if (id == kWelcomeCancel) {
            return kEndCancel;
        }
        return std::nullopt;
    }
};

class UserInfoPage : public Page {
public:
    using Page::Page;
    void init(PageFields& fields) override {
        fields.setText(kUserName, m_context.state.userName);
        fields.setText(kCompanyName, m_context.state.companyName);
        fields.setText(kEmailAddress, m_context.state.emailAddress);
    }
    std::optional<int> command(int id, PageFields& fields) override {
        SetupState& state = m_context.state;
        switch (id) {
            case kUserInfoNext:
                state.userName = fields.text(kUserName);
                state.companyName = fields.text(kCompanyName);
                state.emailAddress = fields.text(kEmailAddress);
                return kUserInfoNext;
            case kUserInfoBack:
                return kUserInfoBack;
            case kUserInfoCancel:
                state.userName.clear();
                state.companyName.clear();
                state.emailAddress.clear();
                return kEndCancel;
            default:
                return std::nullopt;
        }
    }
};

class DestinationPage : public Page {
public:
    using Page::Page;
    // The default, whatever was chosen before: the page is new each time.
    void init(PageFields& fields) override {
        fields.setText(kDestinationFolder, m_context.places.defaultDestination());
    }
    std::optional<int> command(int id, PageFields& fields) override {
        switch (id) {
            case kDestinationBrowse: {
                std::string folder;
                if (m_context.person->chooseFolder(kTextFolderTitle, folder) && !folder.empty()) {
                    fields.setText(kDestinationFolder, destinationBelow(folder));
                }
                return std::nullopt;
            }
            case kDestinationFinish:
                m_context.state.destinationPath = fields.text(kDestinationFolder);
                return kDestinationFinish;
            case kDestinationBack:
                return kDestinationBack;
            case kDestinationCancel:
                m_context.state.destinationPath.clear();
                return kEndCancel;
            default:
                return std::nullopt;
        }
    }
};

class UninstallPage : public Page {
public:
    using Page::Page;
    std::optional<int> command(int id, PageFields&) override {
        if (id == kUninstallContinue) {
            return kUninstallContinue;
        }
        if (id == kUninstallExit) {
            return kEndCancel;
        }
        return std::nullopt;
    }
};

template <typename T>
std::unique_ptr<Page> make(SetupContext& context) {
    return std::make_unique<T>(context);
}

}  // namespace

std::vector<PageEntry> pageTable(InstallMode mode) {
    if (mode == InstallMode::Uninstall) {
        return {{kPageUninstall, make<UninstallPage>, kUninstallContinue, kEndCancel, kEndCancel}};
    }
    return {
        {kPageWelcome, make<WelcomePage>, kEndWelcomeNext, kEndCancel, kEndCancel},
        {kPageUserInfo, make<UserInfoPage>, kUserInfoNext, kEndCancel, kUserInfoBack},
        {kPageDataSource, makeDataSourcePage, kDataSourceNext, kEndCancel, kDataSourceBack},
        {kPageDestination, make<DestinationPage>, kDestinationFinish, kEndCancel, kDestinationBack},
    };
}

bool runWizard(SetupContext& context, PageHost& host) {
    const std::vector<PageEntry> table = pageTable(context.state.installMode);
    size_t index = 0;
    while (index < table.size()) {
        const PageEntry& entry = table[index];
        std::unique_ptr<Page> page = entry.makePage(context);
        const int code = host.showPage(entry, *page);
        if (code == entry.nextCode) {
            ++index;
        } else if (code == entry.cancelCode || code != entry.backCode) {
            trace("page " + std::to_string(entry.templateId) + " ended with " +
                  std::to_string(code) + ": the wizard is cancelled");
            return false;
        } else if (index > 0) {
            --index;
        }
    }
    return true;
}

std::string destinationBelow(const std::string& folder) {
    std::string path = folder;
    if (!path.empty() && path.back() == '/') {
        path.pop_back();
    }
    return path + "/ZEBDOC";
}

const std::vector<PageTemplate>& pageTemplates() {
    static const std::vector<PageTemplate> templates = {
        {kPageWelcome,
         "Welcome",
         "Welcome to ZEBDOC Setup",
         {"Welcome to the ZEBDOC Setup program.  This program will install ZEBDOC on your "
          "computer.",
          "It is strongly recommended that you exit all Windows programs before running this "
          "Setup program.",
          "Click Cancel to quit Setup and then close any programs you have running.  Click Next "
          "to continue with the Setup program.",
          "ZEBDOC is protected by copyright law. You may use it and pass it on under the terms "
          "of its licence.",
          "ZEBDOC comes without any warranty, to the extent permitted by law."},
         {},
         "",
         {{kWelcomeNext, "Next", true}, {kWelcomeCancel, "Cancel", false}},
         kWelcomeCancel},
        {kPageUserInfo,
         "UserInformation",
         "Information about you?",
         {"Please enter your information here. "},
         {{kUserName, ControlKind::Edit, "Name:", "Name"},
          {kCompanyName, ControlKind::Edit, "Company:", "Company"},
          {kEmailAddress, ControlKind::Edit, "Email address:", "Email"}},
         "",
         {{kUserInfoBack, "Back", false},
          {kUserInfoNext, "Next", true},
          {kUserInfoCancel, "Cancel", false}},
         kUserInfoCancel},
        {kPageDataSource,
         "DataSource",
         "Configure ODBC",
         {"This dialog box prepares ODBC connection to be used with ZEBDOC. In order for this "
          "setup to succeed, you must have previously installed supported  ODBC driver and "
          "created a database in your database application.",
          "You will select the driver from the dropdown list and assign your DSN which is an "
          "alias of your database. Then you give user id and password in the edit boxes. ",
          "You will specify your database in the fields that appear when you choose the "
          "driver. If you want to prepare your database first, click Cancel."},
         {{kDriver, ControlKind::Combo, "Driver:", "Driver"},
          {kDataSourceName, ControlKind::Edit, "DSN:", "DSN"},
          {kUserId, ControlKind::Edit, "User ID:", "UID"},
          {kPassword, ControlKind::Password, "Password:", "PWD"},
          {kDatabaseFile, ControlKind::Edit, "Database file:", "DatabaseFile"},
          {kServer, ControlKind::Edit, "Server:", "Server"},
          {kPort, ControlKind::Edit, "Port:", "Port"},
          {kDatabaseName, ControlKind::Edit, "Database:", "Database"}},
         "",
         {{kDataSourceBack, "Back", false},
          {kDataSourceNext, "Next", true},
          {kDataSourceCancel, "Cancel", false}},
         kDataSourceCancel},
        {kPageDestination,
         "Destination",
         "Where to install?",
         {"Setup will install ZEBDOC in the following folder.\n\nTo install to this folder, "
          "click Finish.\n\nTo install to a different folder, click Browse and select another "
          "folder.\n\nYou can choose not to install ZEBDOC by clicking Cancel to exit Setup."},
         {{kDestinationFolder, ControlKind::Folder, "", ""}},
         "Destination Folder",
         {{kDestinationBrowse, "Browse", false},
          {kDestinationBack, "Back", false},
          {kDestinationFinish, "Finish", true},
          {kDestinationCancel, "Cancel", false}},
         kDestinationCancel},
        {kPageUninstall,
         "Uninstall",
         "Uninstall ZEBDOC",
         {"This program will completely remove ZEBDOC from your computer.",
          "Press Continue to proceed or press Exit to quit"},
         {},
         "",
         {{kUninstallContinue, "Continue", false}, {kUninstallExit, "Exit", false}},
         kUninstallExit},
    };
    return templates;
}

const PageTemplate* pageTemplate(int id) {
    for (const PageTemplate& t : pageTemplates()) {
        if (t.id == id) {
            return &t;
        }
    }
    return nullptr;
}

}  // namespace setup
