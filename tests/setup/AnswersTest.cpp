// Unattended runs: the answers file, and the pages and message boxes it
// drives.

#include "setup/model/Answers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "setup/model/SetupStrings.h"
#include "tests/setup/SetupTestSupport.h"
#include "tests/support/BackendTest.h"

using namespace setup;

namespace {

TEST(Answers, FilesThatMeanNothingAreRefusedWithTheirLine) {
    const struct {
        std::string text;
        const char* where;
    } cases[] = {
        {"Button=Next\n", "line 1:"},
        {"[Welcome]\nButton=Next\n[Welcom]\n", "line 3: unknown section [Welcom]"},
        {"[Message x]\n", "line 1: unknown section"},
        {"; fine\n[Welcome]\nButton=Finish\n", "line 3: [Welcome] has no Button=Finish"},
        {"[UserInformation]\nNickname=jo\n", "line 2: [UserInformation] has no Nickname"},
        {"[Welcome]\nBrowse=/x\n", "line 2: [Welcome] has no Browse"},
        {"[DataSource]\nDriver SQLite3\n", "line 2: expected"},
        {"[Message 1023]\nAnswer=Maybe\n", "line 2: a message is answered"},
        {"[Message 1023]\nButton=OK\n", "line 2: a message is answered"},
    };
    for (const auto& c : cases) {
        Answers answers;
        std::string error;
        EXPECT_FALSE(Answers::parse(c.text, answers, error)) << c.text;
        EXPECT_NE(error.find(c.where), std::string::npos) << error;
    }
    Answers answers;
    std::string error;
    EXPECT_FALSE(Answers::load("/nonexistent/answers", answers, error));
    EXPECT_NE(error.find("/nonexistent/answers"), std::string::npos);
}

class AnswersHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        zebtest::writeFile(m_dir.path() + "/odbcinst.ini", "[SQLite3]\nDriver=/x.so\n");
        m_env.set("ODBCSYSINI", m_dir.path());
        m_env.set("ODBCINI", m_dir.path() + "/odbc.ini");
        m_env.set("ZEBDOC_TRACE", m_dir.path() + "/trace");
        m_context.places = Places::make(Places::Scope::User, m_dir.path() + "/home",
                                        m_dir.path() + "/data", m_dir.path() + "/config", "");
        m_context.odbcInstaller = "libodbcinst.so.2";
    }

    bool runWith(const std::string& text) {
        std::string error;
        EXPECT_TRUE(Answers::parse(text, m_answers, error)) << error;
        AnswersHost host(m_answers);
        m_context.person = &host;
        const bool finished = runWizard(m_context, host);
        m_context.person = nullptr;
        return finished;
    }

    zebtest::TempDir m_dir;
    zebtest::EnvGuard m_env;
    SetupContext m_context;
    Answers m_answers;
};

// Sections are used in the order their page comes up; fields are set and
// buttons pressed in the order written; a password reaches the trace only
// by its length.
TEST_F(AnswersHostTest, PagesTakeTheirSectionsInTurn) {
    EXPECT_FALSE(
        runWith("[Welcome]\nButton=Next\n"
                "[UserInformation]\nName=  Jo Bloggs \nCompany=Acme, Inc.\nButton=1004\n"
                "[DataSource]\nDriver=SQLite3\nPWD=s3cret\nButton=Back\n"
                "[UserInformation]\nEmail=jo@example.org\nButton=Next\n"
                "[DataSource]\nButton=cancel\n"));
    EXPECT_EQ(m_context.state.userName, "Jo Bloggs");
    EXPECT_EQ(m_context.state.companyName, "Acme, Inc.");
    EXPECT_EQ(m_context.state.emailAddress, "jo@example.org");
    const std::string trace = zebtest::readFile(m_dir.path() + "/trace");
    EXPECT_NE(trace.find("setup: page DataSource: PWD = (6 characters)"), std::string::npos)
        << trace;
    EXPECT_EQ(trace.find("s3cret"), std::string::npos);
    EXPECT_NE(trace.find("setup: page DataSource ended with -1"), std::string::npos) << trace;
}

TEST_F(AnswersHostTest, APageWithoutAnswersOrWithoutAButtonIsCancelled) {
    EXPECT_FALSE(runWith("[Welcome]\nButton=Next\n"));
    EXPECT_NE(zebtest::readFile(m_dir.path() + "/trace")
                  .find("page UserInformation: no answers left, Cancel"),
              std::string::npos);
    m_context.state.userName = "kept?";
    EXPECT_FALSE(runWith("[Welcome]\nButton=Next\n[UserInformation]\nName=typed\n"));
    EXPECT_EQ(m_context.state.userName, "") << "the page's Cancel ran";
}

TEST_F(AnswersHostTest, DestinationBrowseAnswersTheChooser) {
    m_env.set("PWD", m_dir.path());
    ASSERT_EQ(chdir(m_dir.path().c_str()), 0);
    const struct {
        const char* answers;
        std::string destination;
    } cases[] = {
        {"Browse=/srv/apps/\nButton=Finish\n", "/srv/apps/ZEBDOC"},
        {"Browse=apps\nButton=Finish\n", m_dir.path() + "/apps/ZEBDOC"},
        {"Browse=\nButton=Finish\n", m_dir.path() + "/data/zebdoc"},
        {"Button=Finish\n", m_dir.path() + "/data/zebdoc"},
    };
    for (const auto& c : cases) {
        m_context.state.destinationPath.clear();
        Answers answers;
        std::string error;
        ASSERT_TRUE(Answers::parse(std::string("[Destination]\n") + c.answers, answers, error));
        AnswersHost host(answers);
        m_context.person = &host;
        auto page = pageTable(InstallMode::Install)[3].makePage(m_context);
        EXPECT_EQ(host.showPage(pageTable(InstallMode::Install)[3], *page), kDestinationFinish);
        EXPECT_EQ(m_context.state.destinationPath, c.destination) << c.answers;
    }
}

// A message box takes the answer of its section; without one, OK where
// that is the only button, else Cancel.
TEST_F(AnswersHostTest, MessageBoxesTakeTheirAnswers) {
    std::string error;
    ASSERT_TRUE(Answers::parse("[Message 1023]\nAnswer=OK\n[Message 1023]\nAnswer=cancel\n",
                               m_answers, error));
    AnswersHost host(m_answers);
    const int question = kStyleOkCancel | kStyleIconError;
    EXPECT_EQ(host.messageBox(1023, "t", "c", question), kAnswerOk);
    EXPECT_EQ(host.messageBox(1023, "t", "c", question), kAnswerCancel);
    EXPECT_EQ(host.messageBox(1023, "t", "c", question), kAnswerCancel) << "no answers left";
    EXPECT_EQ(host.messageBox(1021, "t", "c", kStyleOk | kStyleIconError), kAnswerOk);
    EXPECT_NE(zebtest::readFile(m_dir.path() + "/trace").find("message 1023 (c): t -> OK"),
              std::string::npos);
}

}  // namespace
