// The revision picker on a real display and a real repository: the dialog is
// shown modally and driven from inside its own event loop with the events
// its controls send (button clicks, the keys its hook sees, the close box,
// header clicks, size changes), as a person would.

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/listctrl.h>

#include <algorithm>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "core/RevisionFile.h"
#include "core/VersionedFile.h"
#include "shellext/Prompts.h"
#include "shellext/SelDialog.h"
#include "tests/core/ItemTestSupport.h"

namespace zebtest {
namespace {

using Texts = std::vector<std::string>;

const std::string kSelectRevision = "Please select a revision item to retrieve.";

// What the person does, one step after the other.
enum class Act { Get, Enter, Cancel, Escape, CloseBox };

struct Step {
    Texts select;  // versions to have selected (all others not)
    Act act;
    bool staysOpen;
};

struct PickCase {
    const char* name;
    int revisions;
    std::vector<Step> steps;
    int code;             // what show returns
    std::string version;  // the version of the revision taken; empty: none
    size_t messages;      // how often the person was asked to select one
};

// Notes the message boxes the picker shows instead of showing them.
class NotedPrompts : public ShellPrompts {
public:
    int messageBox(HWND owner, const std::string& text, const std::string& caption,
                   unsigned style) override {
        EXPECT_EQ(owner, nullptr);
        EXPECT_EQ(caption, "Versioned file");
        EXPECT_EQ(style, MB_OK | MB_ICONINFORMATION);
        texts.push_back(text);
        return IDOK;
    }
    int pickRevision(HWND, const UID&, UID&) override { return 2; }
    Texts texts;
};

wxDialog* shownPicker() {
    for (wxWindow* window : wxTopLevelWindows) {
        auto* dialog = dynamic_cast<wxDialog*>(window);
        if (dialog != nullptr && dialog->IsModal() && dialog->GetTitle() == "Revisions") {
            return dialog;
        }
    }
    return nullptr;
}

wxListCtrl* listOf(wxDialog* dialog) {
    for (wxWindow* child : dialog->GetChildren()) {
        if (auto* list = dynamic_cast<wxListCtrl*>(child)) {
            return list;
        }
    }
    return nullptr;
}

Texts shownColumn(wxListCtrl* list, int displayColumn) {
    Texts texts;
    for (int i = 0; i < list->GetItemCount(); ++i) {
        texts.push_back(list->GetItemText(i, displayColumn).utf8_string());
    }
    return texts;
}

class SelDialogTest : public ItemTest {
protected:
    void SetUp() override {
        ItemTest::SetUp();
        m_previous = ZebuiSetPromptsForTesting(&prompts);
    }
    void TearDown() override {
        ZebuiSetPromptsForTesting(m_previous);
        ItemTest::TearDown();
    }

    // A versioned file with `revisions` revisions (versions 1 to n).
    std::string versionedFile(int revisions) {
        const std::string path = docsDir() + "/report" + std::to_string(revisions) + ".txt";
        writeFile(path, "first");
        VersionedFile file("report", "the note", path.c_str());
        EXPECT_TRUE(file.save());
        UID uid;
        EXPECT_TRUE(VersionedFile::isFileVersioned(path.c_str(), uid));
        VersionedFile saved(uid);
        for (int version = 2; version <= revisions; ++version) {
            writeFile(path, "version " + std::to_string(version));
            RevisionFile revision(("draft " + std::to_string(version)).c_str(), "", &saved);
            EXPECT_TRUE(revision.save());
        }
        char text[64] = "";
        uid.toString(text, sizeof text);
        if (revisions == 0) {
            EXPECT_TRUE(
                rawExec(std::string("DELETE FROM REVTABLE WHERE MASTERUID = '") + text + "'"));
            resetInstance();
        }
        return text;
    }

    // Shows the picker over `file` and runs `drive` on it from inside its
    // modal loop; returns what show returns. A picker the script left open
    // is closed (and the test fails).
    int showDriven(CZEBSelDialog& picker, const std::string& file,
                   const std::function<void(wxDialog*)>& drive) {
        wxTheApp->CallAfter([&drive] {
            wxDialog* dialog = shownPicker();
            ASSERT_NE(dialog, nullptr) << "the picker is not shown";
            drive(dialog);
            if (dialog->IsModal()) {
                ADD_FAILURE() << "the picker is still open";
                dialog->Close();
            }
        });
        return picker.show(nullptr, uidFrom(file));
    }

    static void select(wxListCtrl* list, const Texts& versions) {
        for (int i = 0; i < list->GetItemCount(); ++i) {
            const std::string version = list->GetItemText(i, 0).utf8_string();
            const bool wanted =
                std::find(versions.begin(), versions.end(), version) != versions.end();
            list->SetItemState(i, wanted ? wxLIST_STATE_SELECTED : 0, wxLIST_STATE_SELECTED);
        }
    }

    static void act(wxDialog* dialog, Act what) {
        switch (what) {
            case Act::Get:
            case Act::Cancel: {
                wxWindow* button = dialog->FindWindow(what == Act::Get ? wxID_OK : wxID_CANCEL);
                ASSERT_NE(button, nullptr);
                wxCommandEvent click(wxEVT_BUTTON, button->GetId());
                click.SetEventObject(button);
                button->ProcessWindowEvent(click);
                break;
            }
            case Act::Enter:
            case Act::Escape: {
                wxKeyEvent key(wxEVT_CHAR_HOOK);
                key.m_keyCode = what == Act::Enter ? WXK_RETURN : WXK_ESCAPE;
                key.SetEventObject(listOf(dialog));
                dialog->ProcessWindowEvent(key);
                break;
            }
            case Act::CloseBox:
                dialog->Close();
                break;
        }
    }

    NotedPrompts prompts;

private:
    ShellPrompts* m_previous = nullptr;
};

const PickCase kPickCases[] = {
    {"no revisions: Get asks, Cancel ends",
     0,
     {{{}, Act::Get, true}, {{}, Act::Get, true}, {{}, Act::Cancel, false}},
     2,
     "",
     2},
    {"one revision, none selected: Get asks; selected, Get takes it",
     1,
     {{{}, Act::Get, true}, {{"1"}, Act::Get, false}},
     1,
     "1",
     1},
    {"Enter is Get", 1, {{{"1"}, Act::Enter, false}}, 1, "1", 0},
    {"two selected: Get asks; the remaining one is taken",
     2,
     {{{"1", "2"}, Act::Get, true}, {{"2"}, Act::Get, false}},
     1,
     "2",
     1},
    {"Escape is Cancel", 2, {{{"1"}, Act::Escape, false}}, 2, "", 0},
    {"the close box is Cancel", 2, {{{"2"}, Act::CloseBox, false}}, 2, "", 0},
    {"Cancel takes nothing", 2, {{{"2"}, Act::Cancel, false}}, 2, "", 0},
};

TEST_P(SelDialogTest, GetTakesTheOneSelectedRevisionElseAsksAndStaysOpen) {
    const std::string files[] = {versionedFile(0), versionedFile(1), versionedFile(2)};
    for (const PickCase& c : kPickCases) {
        SCOPED_TRACE(c.name);
        prompts.texts.clear();
        CZEBSelDialog picker;
        const int code = showDriven(picker, files[c.revisions], [&](wxDialog* dialog) {
            wxListCtrl* list = listOf(dialog);
            ASSERT_NE(list, nullptr);
            ASSERT_EQ(list->GetItemCount(), c.revisions);
            for (const Step& step : c.steps) {
                select(list, step.select);
                act(dialog, step.act);
                ASSERT_EQ(dialog->IsModal(), step.staysOpen)
                    << "after selecting " << step.select.size() << " rows";
            }
        });
        EXPECT_EQ(code, c.code);
        UID taken;
        picker.getSelectedUID(taken);
        char text[64] = "";
        taken.toString(text, sizeof text);
        const std::string expected =
            c.version.empty() ? std::string()
                              : value("SELECT UID FROM REVTABLE WHERE MASTERUID = '" +
                                      files[c.revisions] + "' AND REVVER = " + c.version);
        char none[64] = "";
        UID::none().toString(none, sizeof none);
        EXPECT_EQ(text, c.version.empty() ? std::string(none) : expected);
        EXPECT_EQ(prompts.texts, Texts(c.messages, kSelectRevision));
    }
}

struct LayoutCase {
    wxSize client;
    int getTaller, cancelTaller;  // pixels added to the button's height
    int band;                     // the band below the list, less the buttons' height
};

// The window itself: the table and its header, Get as the default button,
// the header's sorting and the layout at several sizes.
TEST_P(SelDialogTest, ListsTheRevisionsAndKeepsTheButtonsInTheBandBelow) {
    const std::string file = versionedFile(2);
    Texts dates;
    for (const std::string& seconds : column("SELECT REVTIME FROM REVTABLE WHERE MASTERUID = '" +
                                             file + "' ORDER BY REVVER DESC")) {
        const time_t t = std::stol(seconds);
        dates.push_back(std::ctime(&t));
    }
    CZEBSelDialog picker;
    const int code = showDriven(picker, file, [&](wxDialog* dialog) {
        wxListCtrl* list = listOf(dialog);
        ASSERT_NE(list, nullptr);
        EXPECT_TRUE(list->InReportView());
        Texts headers;
        for (int i = 0; i < list->GetColumnCount(); ++i) {
            wxListItem item;
            item.SetMask(wxLIST_MASK_TEXT);
            list->GetColumn(i, item);
            headers.push_back(item.GetText().utf8_string());
        }
        EXPECT_EQ(headers, (Texts{"Ver.", "Name", "Notes", "Date"}));
        auto* get = dynamic_cast<wxButton*>(dialog->FindWindow(wxID_OK));
        auto* cancel = dynamic_cast<wxButton*>(dialog->FindWindow(wxID_CANCEL));
        ASSERT_TRUE(get != nullptr && cancel != nullptr);
        EXPECT_EQ(get->GetLabel(), "Get");
        EXPECT_EQ(cancel->GetLabel(), "Cancel");
        EXPECT_EQ(dialog->GetDefaultItem(), get);

        // A click on "Ver." sorts by version, a second one the other way;
        // the Date column shows the stored time with its line feed.
        for (const Texts& order : {Texts{"1", "2"}, Texts{"2", "1"}}) {
            wxListEvent click(wxEVT_LIST_COL_CLICK, list->GetId());
            click.SetEventObject(list);
            click.m_col = 0;
            list->ProcessWindowEvent(click);
            EXPECT_EQ(shownColumn(list, 0), order);
        }
        EXPECT_EQ(shownColumn(list, 1), (Texts{"draft 2", "report"}));
        EXPECT_EQ(shownColumn(list, 3), dates);

        const int height = get->GetSize().y;
        ASSERT_EQ(cancel->GetSize().y, height);
        for (const LayoutCase& c :
             {LayoutCase{{520, 300}, 0, 0, 25}, LayoutCase{{900, 640}, 0, 0, 25},
              LayoutCase{{400, 260}, 8, 0, 18}, LayoutCase{{400, 260}, 0, 8, 33}}) {
            SCOPED_TRACE(testing::Message() << c.client.x << "x" << c.client.y << " +"
                                            << c.getTaller << " +" << c.cancelTaller);
            get->SetSize(get->GetSize().x, height + c.getTaller);
            cancel->SetSize(cancel->GetSize().x, height + c.cancelTaller);
            dialog->SetClientSize(c.client);
            wxSizeEvent size(dialog->GetSize(), dialog->GetId());
            size.SetEventObject(dialog);
            dialog->ProcessWindowEvent(size);

            const wxSize client = dialog->GetClientSize();
            ASSERT_EQ(client, c.client);
            const int top = client.y - height - c.band + 12;
            EXPECT_EQ(get->GetPosition(), wxPoint(12, top));
            EXPECT_EQ(cancel->GetPosition(), wxPoint(client.x - cancel->GetSize().x - 12, top));
            EXPECT_EQ(list->GetRect(), wxRect(0, 0, client.x, client.y - height - c.band));
        }
        act(dialog, Act::Cancel);
    });
    EXPECT_EQ(code, 2);
    EXPECT_TRUE(prompts.texts.empty());
}

ZEB_INSTANTIATE_BACKENDS(SelDialogTest);

}  // namespace
}  // namespace zebtest
