#pragma once

#include <windows.h>

#include <string_view>

namespace platform {

// To a console as Unicode, to a file or a pipe in the ANSI code page, with no
// byte-order mark. Without such a handle (a window program started from a
// console gets none), to the starter's console, if any. A failed write is let
// go.
void WriteStandard(DWORD which, std::wstring_view text);

}  // namespace platform
