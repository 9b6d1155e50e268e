#pragma once

#include <string>
#include <utility>
#include <vector>

#include "setup/model/Pages.h"

namespace setup {

// An answers file drives the pages and message boxes without showing them
// (ZEBDOC_SETUP_ANSWERS names it):
//
//   ; one section per page shown, used in the order the page comes up
//   [Welcome]
//   Button=Next
//   [UserInformation]
//   Name=Jo Bloggs
//   Button=Next
//   [DataSource]
//   Driver=SQLite3
//   DSN=zebdoc
//   Button=Next
//   [Destination]
//   Browse=/home/jo/apps     ; the folder chooser answers this folder
//   Button=Finish
//   [Message 1023]
//   Answer=Cancel
//
// A page's keys are its fields (see PageTemplate::answerKey), "Browse" and
// "Button" (a button's label or id), applied in the order written. The
// sections of [Uninstall] and of each [Message id] are taken the same way.
// A page without a section of its own left is cancelled; a message box
// without one gets OK when that is its only button, else Cancel. What
// happens goes to the trace (a password only by its length).
class Answers {
public:
    struct Entry {
        std::string key;
        std::string value;
        int line;
    };
    struct Section {
        std::string name;
        int line;
        std::vector<Entry> entries;
        bool used = false;
    };

    // False with the reason (and line) when the file cannot be read or has
    // a section or key that means nothing.
    static bool load(const std::string& path, Answers& out, std::string& error);
    static bool parse(const std::string& text, Answers& out, std::string& error);

    // The next unused section of that name, marked used; null when none.
    const Section* take(const std::string& name);

private:
    std::vector<Section> m_sections;
};

// Shows the pages and asks the person through an answers file.
class AnswersHost : public PageHost, public SetupPerson {
public:
    explicit AnswersHost(Answers& answers) : m_answers(answers) {}
    int showPage(const PageEntry& entry, Page& page) override;
    int messageBox(int messageId, const std::string& text, const std::string& caption,
                   int style) override;
    bool chooseFolder(const std::string& title, std::string& folder) override;

private:
    Answers& m_answers;
    std::string m_folder;  // what the chooser answers next
};

}  // namespace setup
