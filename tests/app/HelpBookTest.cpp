// The help book built beside the program: a valid book whose contents and
// index lead to existing pages, opened at the overview by Help > Contents.

#include <gtest/gtest.h>
#include <wx/filesys.h>
#include <wx/html/helpctrl.h>
#include <wx/html/helpdata.h>
#include <wx/html/helpfrm.h>

#include <memory>
#include <set>

#include "app/UserInterface.h"
#include "tests/app/MainWindowFixture.h"

namespace zebtest {
namespace {

const wxString kBook = wxString(ZEBDOC_BINARY_DIR) + "/bin/zebdoc.htb";

// The page of an entry without its anchor, if it can be read.
bool pageExists(const wxHtmlHelpDataItem& item) {
    wxFileSystem files;
    std::unique_ptr<wxFSFile> page(files.OpenFile(item.GetFullPath().BeforeFirst('#')));
    return page != nullptr;
}

TEST(HelpBook, ContentsAndIndexLeadToItsPages) {
    wxHtmlHelpData help;
    ASSERT_TRUE(help.AddBook(kBook));
    ASSERT_EQ(help.GetBookRecArray().size(), 1u);
    EXPECT_EQ(help.GetBookRecArray()[0].GetTitle(), "ZEBDOC Help");
    EXPECT_TRUE(help.GetBookRecArray()[0].GetStart().EndsWith("zebdoc_overview.htm"));
    EXPECT_FALSE(help.FindPageByName("zebdoc_overview.htm").empty());

    std::set<wxString> pages;
    for (const wxHtmlHelpDataItems* items : {&help.GetContentsArray(), &help.GetIndexArray()}) {
        EXPECT_GE(items->size(), 8u);
        for (size_t i = 0; i < items->size(); ++i) {
            const wxHtmlHelpDataItem& item = (*items)[i];
            EXPECT_TRUE(pageExists(item)) << item.name << " -> " << item.page;
            pages.insert(item.page.BeforeFirst('#'));
        }
    }
    // Every page of the book can be reached from the contents or the index.
    for (const char* page :
         {"zebdoc_overview.htm", "zebdoc_window.htm", "zebdoc_commands.htm", "zebdoc_browse.htm",
          "zebdoc_search.htm", "zebdoc_filemanager.htm", "zebdoc_setup.htm", "zebdoc_data.htm"}) {
        EXPECT_EQ(pages.count(page), 1u) << page;
    }
}

TEST_F(MainWindowTest, HelpViewerOpensTheBookAtTheOverview) {
    ASSERT_TRUE(desktopUserInterface().showHelp(window, kBook, "zebdoc_overview.htm"));
    wxHtmlHelpFrame* frame = nullptr;
    ASSERT_TRUE(pumpUntil([&] {
        for (wxWindow* top : wxTopLevelWindows) {
            frame = frame ? frame : dynamic_cast<wxHtmlHelpFrame*>(top);
        }
        return frame != nullptr && frame->IsShown();
    }));
    EXPECT_TRUE(
        frame->GetHelpWindow()->GetHtmlWindow()->GetOpenedPage().EndsWith("zebdoc_overview.htm"));
    // A book that is not there is reported.
    EXPECT_FALSE(
        desktopUserInterface().showHelp(window, "/nonexistent/zebdoc.htb", "zebdoc_overview.htm"));
}

}  // namespace
}  // namespace zebtest
