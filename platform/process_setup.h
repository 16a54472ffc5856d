// What the program settles for its whole process before it opens its window.
#pragma once

namespace platform {

// Only Windows' own folders may supply DLLs, never the folder the program was
// started from, so that a planted DLL beside a download cannot ride along.
void NarrowDllSearchPath();

// A drive with no disk in it fails the file call that reaches it: Windows is
// not to put up its own "no disk" box, a raw error, meanwhile. Added to the
// error mode the program was started with, which is its starter's choice.
void KeepHardErrorBoxesAway();

}  // namespace platform
