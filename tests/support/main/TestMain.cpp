// Test entry for the programs without windows: every test process in its own
// sandbox (see Sandbox.h).

#include <gtest/gtest.h>

#include "tests/support/Sandbox.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (!GTEST_FLAG_GET(list_tests) && zebtest::enterSandbox().empty()) {
        return 1;
    }
    return RUN_ALL_TESTS();
}
