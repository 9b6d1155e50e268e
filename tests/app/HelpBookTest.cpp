// The help book built beside the program: a valid book whose contents and
// index lead to every one of its pages, opened at the overview by Help >
// Contents.

#include <gtest/gtest.h>
#include <wx/filesys.h>
#include <wx/html/helpctrl.h>
#include <wx/html/helpdata.h>
#include <wx/html/helpfrm.h>

#include <memory>
#include <set>

#include "platform/FileSystem.h"
#include "tests/app/AppTestSupport.h"

namespace zebtest {
namespace {

const std::string kBook = std::string(ZEBDOC_BINARY_DIR) + "/bin/zebdoc.htb";

TEST(HelpBook, ContentsAndIndexLeadToEveryPage) {
    wxHtmlHelpData help;
    ASSERT_TRUE(help.AddBook(kBook));
    ASSERT_EQ(help.GetBookRecArray().size(), 1u);
    EXPECT_EQ(help.GetBookRecArray()[0].GetTitle(), "ZEBDOC Help");
    EXPECT_TRUE(help.GetBookRecArray()[0].GetStart().EndsWith("zebdoc_overview.htm"));

    std::set<std::string> reached;
    wxFileSystem files;
    for (const wxHtmlHelpDataItems* items : {&help.GetContentsArray(), &help.GetIndexArray()}) {
        for (size_t i = 0; i < items->size(); ++i) {
            const wxHtmlHelpDataItem& item = (*items)[i];
            std::unique_ptr<wxFSFile> page(files.OpenFile(item.GetFullPath().BeforeFirst('#')));
            EXPECT_NE(page, nullptr) << item.name << " -> " << item.page;
            reached.insert(item.page.BeforeFirst('#').utf8_string());
        }
    }
    // Every page of the book's sources is reached from the contents or the
    // index.
    std::vector<zeb::platform::DirEntry> sources;
    ASSERT_TRUE(
        zeb::platform::listDirectory(std::string(ZEBDOC_SOURCE_DIR) + "/app/help", sources));
    std::set<std::string> pages;
    for (const auto& entry : sources) {
        if (entry.name.size() > 4 && entry.name.compare(entry.name.size() - 4, 4, ".htm") == 0) {
            pages.insert(entry.name);
        }
    }
    EXPECT_GE(pages.size(), 8u);
    EXPECT_EQ(reached, pages);
}

TEST_F(MainWindowTest, ContentsOpensTheBookAtTheOverview) {
    menuCommand(kCmdContents);
    EXPECT_EQ(ui.helpRequests, std::vector<std::string>{kBook + " @ zebdoc_overview.htm"});

    // The real viewer.
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
