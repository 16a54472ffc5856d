// What the program sets up for itself below its window and files.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/process_setup.h"

// Linked in as into tovrel.exe (xp_compat.cpp), the import slot answers with
// Windows' own count, or on Windows XP with the 32-bit one: either keeps pace
// with GetTickCount.
TEST(XpCompat, TickCount64KeepsPaceWithTheTickCount) {
    const DWORD before = GetTickCount();
    const DWORD count = static_cast<DWORD>(GetTickCount64());
    EXPECT_LE(count - before, GetTickCount() - before);
}

// Whoever started the program may have chosen an error mode of their own.
TEST(ProcessSetup, HardErrorBoxesStayAwayAndTheInheritedModeStays) {
    const UINT saved = SetErrorMode(SEM_NOGPFAULTERRORBOX);
    platform::KeepHardErrorBoxesAway();
    EXPECT_EQ(GetErrorMode(), static_cast<UINT>(SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS |
                                                SEM_NOOPENFILEERRORBOX));
    SetErrorMode(saved);
}
