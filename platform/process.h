#pragma once

#include <windows.h>

namespace platform {

// DLLs only from Windows' own folders, never a planted one beside a download;
// a drive with no disk fails the file call, with no "no disk" box of Windows'.
void SetUpProcess();

// At once: no further handler runs, and the window goes.
[[noreturn]] void EndProgram(UINT exitCode = 0);

// As services and deployment agents do, with the machine account's
// HKEY_CURRENT_USER. False also when its own token cannot be read.
bool RunsAsLocalSystem();

}  // namespace platform
