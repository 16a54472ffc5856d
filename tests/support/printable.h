// Text for assertion messages: ASCII as it is, anything else as \uNNNN, so a
// failing comparison of Chinese paths stays readable in any console.
#pragma once

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

}  // namespace support
