#pragma once

#include <windows.h>

namespace platform {

// DLLs come only from Windows' own folders (never a planted one beside a
// download). A drive with no disk fails the file call, with no "no disk" box;
// added to the error mode the starter chose.
void SetUpProcess();

// At once: no further handler runs, and the window goes.
[[noreturn]] void EndProgram(UINT exitCode = 0);

}  // namespace platform
