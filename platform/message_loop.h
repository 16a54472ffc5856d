// The program's own message loop.
#pragma once

#include <windows.h>

namespace platform {

// Takes the thread's messages until it is asked to quit, giving `dialog` its
// keyboard handling (Tab, Enter on the focused button). Returns the exit code
// the quit request carried.
int RunMessageLoop(HWND dialog);

}  // namespace platform
