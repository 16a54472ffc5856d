// mdlvantel: the program's only access to the registry, which it never writes.
#pragma once

#include <windows.h>

#include <string>

namespace placement::mdlvantel {

// The last GetRegString's kEmptyKeyPath, open's error, else close's result;
// nothing in the program decides on it.
extern LONG lRegStatus;
constexpr LONG kEmptyKeyPath = -1002;

// The value's text as stored, unexpanded, less a terminating NUL only; a value
// of another type is its bytes in the ANSI code page. "" for a missing, empty
// or one-byte value and whatever fails. `type` receives the value's type.
std::wstring GetRegString(HKEY rootKey, std::wstring keyPath, std::wstring valueName,
                          DWORD* type = nullptr);

}  // namespace placement::mdlvantel
