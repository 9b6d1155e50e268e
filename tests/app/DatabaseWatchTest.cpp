// A database that cannot be used: when the main window tells it and when
// its status bar stops saying so, first as the rule alone, then in the
// window over both data sources.

#include "app/window/DatabaseWatch.h"

#include <wx/statusbr.h>

#include "app/window/StringTable.h"
#include "core/DatabaseInstance.h"
#include "tests/app/AppTestSupport.h"

namespace zebtest {
namespace {

TEST(DatabaseWatch, TellsTheFirstFailureOfASpellAndEndsItWithASuccess) {
    using Change = DatabaseWatch::Change;
    struct Step {
        unsigned long statements;
        int returnCode;
        Change change;
    };
    const Step steps[] = {
        {0, -2, Change::kNone},      // nothing has run yet
        {3, 0, Change::kNone},       // a success
        {4, 100, Change::kNone},     // no row is an answer too
        {5, -1, Change::kFailed},    // an error
        {5, -1, Change::kNone},      // no new statement
        {7, -2, Change::kNone},      // no connection: the same spell
        {8, 1, Change::kRecovered},  // a success with a warning
        {9, -2, Change::kFailed},    // a new spell
    };
    DatabaseWatch watch;
    for (const Step& step : steps) {
        SCOPED_TRACE(std::to_string(step.statements) + ": " + std::to_string(step.returnCode));
        EXPECT_EQ(watch.observe({step.statements, step.returnCode}), step.change);
        EXPECT_EQ(watch.isFailing(), step.returnCode < 0 && step.statements > 0);
    }
    // The driver's words stand as they are; none are said to be none.
    EXPECT_NE(DatabaseWatch::message("zeb", "a %s b").find("\"zeb\""), std::string::npos);
    EXPECT_NE(DatabaseWatch::message("zeb", "a %s b").find("a %s b"), std::string::npos);
    EXPECT_NE(DatabaseWatch::message("zeb", "").find(strings::text(strings::kNoDiagnostic)),
              std::string::npos);
}

class DatabaseTroubleTest : public RepositoryTest {
protected:
    void idle() {
        wxIdleEvent event;
        window->ProcessWindowEvent(event);
    }
};

TEST_P(DatabaseTroubleTest, ToldOnceWithTheDataSourceAndTheDriversWordsUntilAStatementSucceeds) {
    versionFile(workFile("a.txt", "a"));
    startWindow();
    ASSERT_NE(window, nullptr);
    idle();
    EXPECT_TRUE(ui.messages.empty());
    const std::string dataSource = dataSourceName();
    struct Case {
        const char* name;
        bool postgresOnly;
        std::function<void()> breakIt;
        std::function<void()> mendIt;
    };
    const Case cases[] = {
        {"unknown data source", false,
         [&] {
             setRegistryValue("DSN", "zeb_no_such_source");
             resetInstance();
         },
         [&] {
             setRegistryValue("DSN", dataSource);
             resetInstance();
         }},
        {"server stopped", true, [&] { stopServer(); }, [&] { startServer(); }},
    };
    for (const Case& c : cases) {
        if (c.postgresOnly && backend() != Backend::PostgreSQL) {
            continue;
        }
        SCOPED_TRACE(c.name);
        ui.messages.clear();
        c.breakIt();
        // A new tree reads the database; so does the next one.
        for (int i = 0; i < 2; ++i) {
            menuCommand(window, kCmdBrowse);
            idle();
            ASSERT_EQ(ui.messages.size(), 1u);
            EXPECT_EQ(window->statusText(), "The database cannot be reached");
        }
        const std::string& told = ui.messages[0].text;
        const std::string source = c.postgresOnly ? dataSource : "zeb_no_such_source";
        EXPECT_NE(told.find("\"" + source + "\""), std::string::npos) << told;
        EXPECT_FALSE(DatabaseInstance::lastError().empty());
        EXPECT_NE(told.find(DatabaseInstance::lastError()), std::string::npos) << told;
        EXPECT_EQ(ui.messages[0].style, wxOK | wxICON_ERROR);

        c.mendIt();
        menuCommand(window, kCmdBrowse);
        idle();
        EXPECT_EQ(window->statusText(), "Ready");
        EXPECT_EQ(ui.messages.size(), 1u);
    }
}

ZEB_INSTANTIATE_BACKENDS(DatabaseTroubleTest);

}  // namespace
}  // namespace zebtest
