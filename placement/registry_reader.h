// mdlvantel, the registry reader module: the program's only access to the
// registry. GetRegString reads one string value and hands back its text, or ""
// when anything goes wrong; it never raises and never writes to the registry.
// A string the ANSI code page cannot spell comes back as stored, not as the
// look-alike the ANSI query makes of it.
#pragma once

#include <windows.h>

#include <string>

namespace placement::mdlvantel {

// Status of the last GetRegString call: -1002 for an empty key path,
// RegOpenKeyA's error when the key could not be opened, otherwise the result of
// closing the key (normally 0, whether or not the value was there). Output only;
// nothing in the program decides on it.
extern LONG lRegStatus;

constexpr LONG kEmptyKeyPath = -1002;

std::wstring GetRegString(HKEY rootKey, std::wstring keyPath, std::wstring valueName);

// The registry functions the reader is built on. Production code always uses
// the real ones; tests hand in others to stage what cannot be arranged for
// real, such as a value that grows between the size query and the data query.
// The Unicode query only checks that the ANSI text is the stored text.
struct RegistryCalls {
    decltype(&RegOpenKeyA) openKey;
    decltype(&RegQueryValueExA) queryValue;
    decltype(&RegCloseKey) closeKey;
    decltype(&RegQueryValueExW) queryValueW;
};

std::wstring GetRegString(const RegistryCalls& calls, HKEY rootKey, std::wstring keyPath,
                          std::wstring valueName);

}  // namespace placement::mdlvantel
