// What the program sets up for itself below its window and files.
#include <gtest/gtest.h>

#include <windows.h>

// Linked in as into tovrel.exe (xp_compat.cpp), the import slot answers with
// Windows' own count, or on Windows XP with the 32-bit one: either keeps pace
// with GetTickCount.
TEST(XpCompat, TickCount64KeepsPaceWithTheTickCount) {
    const DWORD before = GetTickCount();
    const DWORD count = static_cast<DWORD>(GetTickCount64());
    EXPECT_LE(count - before, GetTickCount() - before);
}
