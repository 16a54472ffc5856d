// GoogleTest's main with one switch of tovrel's own: --as-windows-xp makes
// every function of later Windows missing, so that the tests run through the
// paths Windows XP takes.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/later_windows.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--as-windows-xp") == 0) {
            platform::asWindowsXp = true;
        }
    }
    return RUN_ALL_TESTS();
}
