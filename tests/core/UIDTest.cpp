#include "core/UID.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

namespace {

std::string text(const UID& uid) {
    char buffer[1024];
    uid.toString(buffer, sizeof buffer);
    return buffer;
}

// A clock that only moves when the code under test sleeps.
time_t g_fakeNow = 0;
int g_sleeps = 0;
time_t fakeClock() {
    return g_fakeNow;
}
void fakeSleep(unsigned int milliseconds) {
    ++g_sleeps;
    g_fakeNow += milliseconds / 1000;
}

class UIDClockTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_sleeps = 0;
        UID::setClock(fakeClock);
        UID::setSleep(fakeSleep);
    }
    void TearDown() override {
        UID::setClock(nullptr);
        UID::setSleep(nullptr);
    }
};

}  // namespace

TEST(UIDTest, FirstIdentifierOfProcessUsesPidLoadTimeAndCounterZero) {
    UID::m_lastCount = 0;
    const UID first;
    EXPECT_EQ(first.host(), static_cast<uint32_t>(::getpid()));
    EXPECT_EQ(first.count(), 0);
    const std::string t = text(first);
    EXPECT_EQ(t.substr(t.size() - 2), "x0");

    UID other;
    other = t.c_str();
    EXPECT_EQ(text(other), t);
}

TEST(UIDTest, TextFormIsLowerCaseHexJoinedByX) {
    UID uid;
    uid = "4d8x3ea2b377x0";
    EXPECT_EQ(uid.host(), 0x4d8u);
    EXPECT_EQ(uid.time(), 0x3ea2b377);
    EXPECT_EQ(uid.count(), 0);
    EXPECT_EQ(text(uid), "4d8x3ea2b377x0");

    uid = "FFFFFFFFxFFFFFFFFxFFFF";
    EXPECT_EQ(text(uid), "ffffffffxffffffffxffff");
    EXPECT_EQ(text(uid).size(), 22u);
}

TEST(UIDTest, EveryCounterValueRoundTrips) {
    UID back;  // copied below, so that reading back consumes no counter value
    back = "1x1x1";
    UID::m_lastCount = 0;
    for (int i = 0; i < 65535; ++i) {
        const UID made;
        ASSERT_EQ(made.count(), i);
        back = text(made).c_str();
        ASSERT_EQ(back.host(), made.host());
        ASSERT_EQ(back.time(), made.time());
        ASSERT_EQ(back.count(), made.count());
    }
    UID::m_lastCount = 0;  // spare later cases in this process the rollover wait
}

TEST(UIDTest, ToStringCutsToTheBuffer) {
    UID uid;
    uid = "4d8x3ea2b377x1f";
    char small[6];
    uid.toString(small, sizeof small);
    EXPECT_STREQ(small, "4d8x3");
    char one[1] = {'z'};
    uid.toString(one, 1);
    EXPECT_EQ(one[0], '\0');
}

TEST(UIDTest, MalformedTextLeavesTheIdentifierUnchanged) {
    UID uid;
    uid = "4d8x3ea2b377x7";
    for (const char* bad : {"abc", "0x1x2", "", "xxx", "12x0x5", "12x34", "zzxyyxww"}) {
        uid = bad;
        EXPECT_EQ(text(uid), "4d8x3ea2b377x7") << bad;
    }
    uid = static_cast<const char*>(nullptr);
    EXPECT_EQ(text(uid), "4d8x3ea2b377x7");
}

TEST(UIDTest, ReadingFollowsHexRules) {
    UID uid;
    // Runs of "x" count as one separator and leading ones are skipped.
    uid = "xx10xxx20x3";
    EXPECT_EQ(text(uid), "10x20x3");
    // White space, a "0X" prefix and trailing text are accepted.
    uid = " 0X1Ax 2bjunkx4trailing";
    EXPECT_EQ(text(uid), "1ax2bx4");
    // The counter keeps its low 16 bits and may be 0.
    uid = "1x2x12345";
    EXPECT_EQ(uid.count(), 0x2345);
    uid = "1x2xq";
    EXPECT_EQ(uid.count(), 0);
}

TEST(UIDTest, TimesPast2038ReadBackAsThemselves) {
    UID uid;
    uid = "1x80000000x0";
    EXPECT_EQ(static_cast<uint32_t>(uid.time()), 0x80000000u);
    EXPECT_EQ(text(uid), "1x80000000x0");
    uid = "1xfffffffex5";
    EXPECT_EQ(text(uid), "1xfffffffex5");
}

TEST_F(UIDClockTest, CounterRolloverWaitsForANewTimeBase) {
    UID::m_lastTime = 5000;
    UID::m_lastCount = 65534;
    g_fakeNow = 5000 + 3;

    const UID last;
    EXPECT_EQ(last.count(), 65534);
    EXPECT_EQ(last.time(), 5000);
    EXPECT_EQ(g_sleeps, 0);

    const UID next;
    EXPECT_EQ(next.count(), 0);
    // Waited, one second at a time, until 1000 s past the old base.
    EXPECT_EQ(g_sleeps, 997);
    EXPECT_EQ(next.time(), 6000);
    EXPECT_EQ(UID::m_lastTime, 6000);
    EXPECT_EQ(UID::m_lastCount, 1);
}

TEST_F(UIDClockTest, RolloverDoesNotWaitWhenTheClockIsAlreadyPast) {
    UID::m_lastTime = 100;
    UID::m_lastCount = 0xFFFF;
    g_fakeNow = 5000;
    const UID next;
    EXPECT_EQ(g_sleeps, 0);
    EXPECT_EQ(next.time(), 5000);
    EXPECT_EQ(next.count(), 0);
}

TEST_F(UIDClockTest, RolloverAfter2038KeepsWorking) {
    UID::m_lastTime = 0x90000000L;
    UID::m_lastCount = 0xFFFF;
    g_fakeNow = 0x90000000L + 1000;
    const UID next;
    EXPECT_EQ(g_sleeps, 0);
    EXPECT_EQ(text(next).substr(text(next).find('x') + 1), "900003e8x0");
}
