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

TEST(UIDTest, MadeIdentifiersCountUpAndReadBackAsThemselves) {
    UID back;  // made before the loop, so that reading back consumes no counter value
    UID::m_lastCount = 0;
    for (int i = 0; i < 65535; ++i) {
        const UID made;
        ASSERT_EQ(made.count(), i);
        ASSERT_EQ(made.host(), static_cast<uint32_t>(::getpid()));
        back = text(made).c_str();
        ASSERT_EQ(text(back), text(made));
        ASSERT_TRUE(back.host() == made.host() && back.time() == made.time() &&
                    back.count() == made.count());
    }
    EXPECT_EQ(text(back).substr(text(back).rfind('x')), "xfffe");
    UID::m_lastCount = 0;  // spare later cases in this process the rollover wait
}

TEST(UIDTest, TextIsReadAsLowerCaseHexFieldsJoinedByX) {
    const std::pair<const char*, const char*> cases[] = {
        {"4d8x3ea2b377x0", "4d8x3ea2b377x0"},
        {"FFFFFFFFxFFFFFFFFxFFFF", "ffffffffxffffffffxffff"},  // 22 characters at most
        {"1x80000000x0", "1x80000000x0"},                      // times past 2038
        {"1xfffffffex5", "1xfffffffex5"},
        {"xx10xxx20x3", "10x20x3"},  // runs of "x" are one separator, leading ones skipped
        {" 0X1Ax 2bjunkx4trailing", "1ax2bx4"},  // white space, "0X", trailing text
        {"1x2x12345", "1x2x2345"},               // the counter keeps its low 16 bits
        {"1x2xq", "1x2x0"},
        // Malformed: the identifier stays as it was.
        {"abc", "7x7x7"},
        {"0x1x2", "7x7x7"},
        {"", "7x7x7"},
        {"xxx", "7x7x7"},
        {"12x0x5", "7x7x7"},
        {"12x34", "7x7x7"},
        {"zzxyyxww", "7x7x7"},
        {nullptr, "7x7x7"}};
    for (const auto& [in, out] : cases) {
        UID uid;
        uid = "7x7x7";
        uid = in;
        EXPECT_EQ(text(uid), out) << (in != nullptr ? in : "null");
    }
    UID uid;
    uid = "4d8x3ea2b377x1f";
    EXPECT_EQ(uid.host(), 0x4d8u);
    EXPECT_EQ(uid.time(), 0x3ea2b377);
    EXPECT_EQ(uid.count(), 0x1f);

    // toString cuts to the buffer.
    char small[6];
    uid.toString(small, sizeof small);
    EXPECT_STREQ(small, "4d8x3");
    char one[1] = {'z'};
    uid.toString(one, 1);
    EXPECT_EQ(one[0], '\0');
}

TEST(UIDTest, CounterRolloverWaitsForANewTimeBase) {
    UID::setClock([] { return g_fakeNow; });
    UID::setSleep([](unsigned int milliseconds) {
        ++g_sleeps;
        g_fakeNow += milliseconds / 1000;
    });
    struct Case {
        long lastTime;
        time_t now;
        int sleeps;         // one second each
        const char* after;  // time and counter of the identifier made after the rollover
    };
    const Case cases[] = {{5000, 5003, 997, "1770x0"},  // 1000 s past the old base
                          {100, 5000, 0, "1388x0"},     // the clock is past it already
                          {0x90000000L, 0x90000000L + 1000, 0, "900003e8x0"}};  // after 2038
    for (const Case& c : cases) {
        SCOPED_TRACE(c.after);
        UID::m_lastTime = c.lastTime;
        UID::m_lastCount = 65534;
        g_fakeNow = c.now;
        g_sleeps = 0;
        const UID last;
        EXPECT_EQ(last.count(), 65534);
        EXPECT_EQ(g_sleeps, 0);
        const UID next;
        EXPECT_EQ(g_sleeps, c.sleeps);
        EXPECT_EQ(text(next).substr(text(next).find('x') + 1), c.after);
        EXPECT_EQ(UID::m_lastCount, 1);
    }
    UID::setClock(nullptr);
    UID::setSleep(nullptr);
}

}  // namespace
