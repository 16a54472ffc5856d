// Text for assertion messages: ASCII as it is, anything else as \uNNNN, so a
// failing comparison of Chinese paths stays readable in any console.
#pragma once

#include <windows.h>

#include <string>

namespace support {

inline std::string Printable(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) {
        out += c < 128 ? std::string(1, static_cast<char>(c))
                       : "\\u" + std::to_string(static_cast<unsigned>(c));
    }
    return out;
}

// Text as the ANSI file functions, a file and a pipe take it: in code page
// 936, the test prefix's.
inline std::string Ansi(const std::wstring& text) {
    std::string bytes(text.size() * 2, '\0');
    bytes.resize(WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()),
                                     bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                     nullptr));
    return bytes;
}

}  // namespace support
