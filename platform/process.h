#pragma once

#include <windows.h>

namespace platform {

// DLLs come only from Windows' own folders (never a planted one beside a
// download). A drive with no disk fails the file call, with no "no disk" box;
// added to the error mode the starter chose.
void SetUpProcess();

// At once: no further handler runs, and the window goes.
[[noreturn]] void EndProgram(UINT exitCode = 0);

// Whether the program runs as LocalSystem, as services and deployment agents
// do: its HKEY_CURRENT_USER is the machine account's. False also when its own
// token cannot be read.
bool RunsAsLocalSystem();

}  // namespace platform
