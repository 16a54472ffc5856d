// The process's own settings, made before anything else, and its end.
#pragma once

#include <windows.h>

namespace platform {

// DLLs come only from Windows' own folders, never from the folder the program
// was started from (a planted DLL beside a download). A drive with no disk
// fails the file call that reaches it, with no "no disk" box of Windows'
// own; added to the error mode the starter chose.
void SetUpProcess();

// Ends the program at once: no further handler runs, the window goes, and the
// process exits with `exitCode`.
[[noreturn]] void EndProgram(UINT exitCode = 0);

}  // namespace platform
