// Between the program's Unicode text and the ANSI code page (936 on the
// target systems), where text crosses to the registry and the file system.
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::string ToAnsi(std::wstring_view text);
std::wstring FromAnsi(std::string_view bytes);

}  // namespace platform
