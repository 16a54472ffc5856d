// What the program sets up for itself below its window and files.
#include <gtest/gtest.h>

#include <windows.h>


#include "platform/process.h"

// Whoever started the program may have chosen an error mode of their own.
TEST(ProcessSetup, HardErrorBoxesStayAwayAndTheInheritedModeStays) {
    const UINT saved = SetErrorMode(SEM_NOGPFAULTERRORBOX);
    platform::KeepHardErrorBoxesAway();
    EXPECT_EQ(GetErrorMode(), static_cast<UINT>(SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS |
                                                SEM_NOOPENFILEERRORBOX));
    SetErrorMode(saved);
}
