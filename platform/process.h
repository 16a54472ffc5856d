// The process's own settings, made before the program opens its window, and
// its end.
#pragma once

#include <windows.h>

namespace platform {

// Only Windows' own folders may supply DLLs, never the folder the program was
// started from, so that a planted DLL beside a download cannot ride along.
void NarrowDllSearchPath();

// A drive with no disk in it fails the file call that reaches it: Windows is
// not to put up its own "no disk" box, a raw error, meanwhile. Added to the
// error mode the program was started with, which is its starter's choice.
void KeepHardErrorBoxesAway();

// Ends the program at once: no further handler runs, the window goes away and
// the process exits, with a failure when `exitCode` is not 0.
[[noreturn]] void EndProgram(UINT exitCode = 0);

}  // namespace platform
