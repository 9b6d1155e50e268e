#pragma once

// What the version-command tests share: a user interface that answers
// instead of a person, a selection walk over real repository objects, and a
// repository fixture with helpers that add files through the core library.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <wx/dialog.h>

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/SelectContext.h"
#include "app/SelectionWalk.h"
#include "app/UserInterface.h"
#include "core/IZEB.h"
#include "core/RevisionFile.h"
#include "core/UID.h"
#include "core/VersionedFile.h"
#include "tests/support/BackendTest.h"

namespace zebtest {

struct AskedMessage {
    std::string text;
    std::string caption;
    long style = 0;
};

class AnsweringUi : public UserInterface {
public:
    AnsweringUi() { m_previous = setUserInterface(this); }
    ~AnsweringUi() override { setUserInterface(m_previous); }

    int messageBox(wxWindow*, const wxString& text, const wxString& caption, long style) override {
        messages.push_back({text.utf8_string(), caption.utf8_string(), style});
        if (answers.empty()) {
            return wxOK;
        }
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool chooseFiles(wxWindow*, const wxString& title, const wxString& wildcard,
                     ChosenFiles& chosen) override {
        chooserTitle = title.utf8_string();
        chooserWildcard = wildcard.utf8_string();
        chosen = files;
        return !files.paths.empty();
    }
    int showModal(wxDialog& dialog) override {
        dialogTitles.push_back(dialog.GetTitle().utf8_string());
        return onModal ? onModal(dialog) : wxID_CANCEL;
    }
    bool showHelp(wxWindow*, const wxString&, const wxString&) override { return false; }
    bool launchAndWait(const std::string& path) override {
        launched.push_back(path);
        return onLaunch ? onLaunch(path) : true;
    }

    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const AskedMessage& m : messages) {
            out.push_back(m.text);
        }
        return out;
    }

    std::deque<int> answers;  // wxOK when none is left
    std::vector<AskedMessage> messages;
    ChosenFiles files;
    std::string chooserTitle;
    std::string chooserWildcard;
    std::vector<std::string> dialogTitles;
    std::function<int(wxDialog&)> onModal;
    std::vector<std::string> launched;
    std::function<bool(const std::string&)> onLaunch;

private:
    UserInterface* m_previous = nullptr;
};

// A walk over a fixed list of items, resolved through a real SelectContext
// as a pane resolves its selection: a versioned file's UID alone, or with a
// revision's UID.
class ListWalk final : public SelectionWalk {
public:
    struct Entry {
        std::string file;
        std::string revision;  // empty: the versioned file itself
    };

    explicit ListWalk(std::vector<Entry> entries) : m_entries(std::move(entries)) {}

    IZEB* firstSelected(bool dropping) override {
        m_next = 0;
        ++firstCalls;
        return nextSelected(dropping);
    }
    IZEB* nextSelected(bool dropping) override {
        droppingSeen.push_back(dropping);
        if (m_next >= m_entries.size()) {
            return nullptr;
        }
        const Entry& e = m_entries[m_next++];
        UID file;
        file = e.file.c_str();
        if (e.revision.empty()) {
            return context.resolveVersionedFile(file);
        }
        UID revision;
        revision = e.revision.c_str();
        return context.resolveRevision(file, revision);
    }

    SelectContext context;
    int firstCalls = 0;
    std::vector<bool> droppingSeen;

private:
    std::vector<Entry> m_entries;
    size_t m_next = 0;
};

class RepositoryTest : public BackendTest {
protected:
    void SetUp() override {
        BackendTest::SetUp();
        if (!IsSkipped()) {
            createTables();
        }
    }

    // A working file below the test's folder.
    std::string workFile(const std::string& relative, const std::string& bytes) {
        const std::string path = workDir() + "/work/" + relative;
        writeFile(path, bytes);
        return path;
    }

    // Puts `path` under version control; returns the versioned file's UID.
    std::string versionFile(const std::string& path, const std::string& name = "first",
                            const std::string& note = "note") {
        VersionedFile file(name.c_str(), note.c_str(), path.c_str());
        EXPECT_TRUE(file.save());
        return uidOf(path);
    }

    // A new revision of a versioned file with the working file's bytes now.
    std::string addRevision(const std::string& fileUid, const std::string& name) {
        UID uid;
        uid = fileUid.c_str();
        VersionedFile file(uid);
        RevisionFile revision(name.c_str(), "", &file);
        EXPECT_TRUE(revision.save());
        char text[1024];
        revision.getUID(text, sizeof text);
        return text;
    }

    std::string uidOf(const std::string& path) {
        UID uid;
        if (!VersionedFile::isFileVersioned(path.c_str(), uid)) {
            return std::string();
        }
        char text[1024];
        uid.toString(text, sizeof text);
        return text;
    }

    // UIDs of a versioned file's revisions by version number.
    std::vector<std::string> revisionsOf(const std::string& fileUid) {
        std::vector<std::string> out;
        for (const Row& row : rawQuery("SELECT UID FROM REVTABLE WHERE MASTERUID = '" + fileUid +
                                       "' ORDER BY REVVER")) {
            out.push_back(row[0].value_or(""));
        }
        return out;
    }

    // Sets the file's times to a fixed past moment, so that a later
    // rewrite differs from the archived state.
    static void ageFile(const std::string& path) {
        struct utimbuf times {
            1000000000, 1000000000
        };
        ::utime(path.c_str(), &times);
    }

    AnsweringUi ui;
};

}  // namespace zebtest
