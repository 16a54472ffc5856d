// Between Unicode and the ANSI code page (936 on the target systems), where
// text crosses to the registry, the file system and a script's standard output.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace platform {

std::string ToAnsi(std::wstring_view text);
std::wstring FromAnsi(std::string_view bytes);

// To a console as Unicode, to a file or pipe in the ANSI code page, no BOM;
// with no such handle, to the starter's console, if any. Failures let go.
void WriteStandard(DWORD which, std::wstring_view text);

}  // namespace platform
