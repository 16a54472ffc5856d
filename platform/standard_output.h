#pragma once

#include <windows.h>

#include <string_view>

namespace platform {

// To a console as Unicode, to a file or pipe in the ANSI code page, no BOM.
// Without such a handle (a window program gets none), to the starter's
// console, if any. A failed write is let go.
void WriteStandard(DWORD which, std::wstring_view text);

}  // namespace platform
