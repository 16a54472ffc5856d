// Text for the standard output and error a script reads.
#pragma once

#include <windows.h>

#include <string_view>

namespace platform {

// Writes `text` to the standard handle `which` (STD_OUTPUT_HANDLE or
// STD_ERROR_HANDLE) the program was started with: to a console as Unicode, to
// a file or a pipe in the ANSI code page, with no byte-order mark. Only when
// the program has no such handle (a window program started from a console gets
// none), to the console of the program that started it, if that has one. A
// write that fails (a closed pipe, a full disk) is let go.
void WriteStandard(DWORD which, std::wstring_view text);

}  // namespace platform
