// The help book the build puts in share/zebdoc: a valid book whose contents
// and index lead to every one of its pages, opened at the overview by Help >
// Contents in a viewer on screen that renders every page as HTML.

#include <gtest/gtest.h>
#include <wx/display.h>
#include <wx/filesys.h>
#include <wx/html/helpctrl.h>
#include <wx/html/helpdata.h>
#include <wx/html/helpfrm.h>

#include <cstdlib>
#include <memory>
#include <set>

#include "platform/FileSystem.h"
#include "tests/app/AppTestSupport.h"

namespace zebtest {
namespace {

const std::string kBook = std::string(ZEBDOC_BINARY_DIR) + "/share/zebdoc/zebdoc.htb";

TEST(HelpBook, ContentsAndIndexLeadToEveryPage) {
    wxHtmlHelpData help;
    ASSERT_TRUE(help.AddBook(kBook));
    ASSERT_EQ(help.GetBookRecArray().size(), 1u);
    EXPECT_EQ(help.GetBookRecArray()[0].GetTitle(), "ZEBDOC Help");
    EXPECT_TRUE(help.GetBookRecArray()[0].GetStart().EndsWith("zebdoc_overview.html"));

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
        if (wxString::FromUTF8(entry.name).EndsWith(".html")) {
            pages.insert(entry.name);
        }
    }
    EXPECT_GE(pages.size(), 8u);
    EXPECT_EQ(reached, pages);
}

TEST_F(MainWindowTest, ContentsOpensTheBookAtTheOverview) {
    menuCommand(kCmdContents);
    EXPECT_EQ(ui.helpRequests, std::vector<std::string>{kBook + " @ zebdoc_overview.html"});

    // The real viewer.
    ASSERT_TRUE(desktopUserInterface().showHelp(window, kBook, "zebdoc_overview.html"));
    wxHtmlHelpFrame* frame = nullptr;
    ASSERT_TRUE(pumpUntil([&] {
        for (wxWindow* top : wxTopLevelWindows) {
            frame = frame ? frame : dynamic_cast<wxHtmlHelpFrame*>(top);
        }
        return frame != nullptr && frame->IsShown();
    }));
    wxHtmlWindow* page = frame->GetHelpWindow()->GetHtmlWindow();
    EXPECT_TRUE(page->GetOpenedPage().EndsWith("zebdoc_overview.html"));
    EXPECT_EQ(frame->GetTitle(), "ZEBDOC Help");
    // Over the main window, whole on its display.
    const wxRect over = frame->GetScreenRect();
    const wxPoint middle = window->GetScreenRect().GetPosition() + window->GetSize() / 2;
    EXPECT_LE(std::abs(over.x + over.width / 2 - middle.x), 1);
    EXPECT_LE(std::abs(over.y + over.height / 2 - middle.y), 1);
    const int display = wxDisplay::GetFromWindow(window);
    EXPECT_TRUE(
        wxDisplay(display == wxNOT_FOUND ? 0u : unsigned(display)).GetClientArea().Contains(over));
    // Every entry of the contents shows as HTML, not as its source, and
    // the place it names is there.
    const wxHtmlHelpDataItems& contents = frame->GetHelpWindow()->GetData()->GetContentsArray();
    for (size_t i = 0; i < contents.size(); ++i) {
        const wxHtmlHelpDataItem& entry = contents[i];
        SCOPED_TRACE(entry.page.utf8_string());
        ASSERT_TRUE(page->LoadPage(entry.GetFullPath()));
        EXPECT_FALSE(page->ToText().empty());
        EXPECT_EQ(page->ToText().find('<'), wxString::npos);
        const wxString anchor = entry.page.AfterFirst('#');
        EXPECT_TRUE(anchor.empty() ||
                    page->GetInternalRepresentation()->Find(wxHTML_COND_ISANCHOR, &anchor));
    }
    // A book that is not there is reported, by the viewer and by Contents.
    EXPECT_FALSE(
        desktopUserInterface().showHelp(window, "/nonexistent/zebdoc.htb", "zebdoc_overview.html"));
    ui.helpOpens = false;
    menuCommand(kCmdContents);
    EXPECT_EQ(ui.texts(),
              std::vector<std::string>{"The help book " + kBook + " cannot be opened."});
}

}  // namespace
}  // namespace zebtest
