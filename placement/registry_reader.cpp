#include "placement/registry_reader.h"

#include "platform/ansi_text.h"
#include "platform/handles.h"

namespace placement::mdlvantel {

LONG lRegStatus = 0;

std::wstring GetRegString(HKEY rootKey, std::wstring keyPath, std::wstring valueName, DWORD* type) {
    DWORD unasked = REG_NONE, size = 0;
    DWORD& kind = type ? *type : unasked;
    kind = REG_NONE;
    HKEY opened = nullptr;
    lRegStatus = keyPath.empty()
                     ? kEmptyKeyPath
                     : RegOpenKeyExW(rootKey, keyPath.c_str(), 0, KEY_QUERY_VALUE, &opened);
    if (lRegStatus != ERROR_SUCCESS) {
        return {};
    }
    auto close = [](HKEY key) { lRegStatus = RegCloseKey(key); };
    const platform::Owned<HKEY, decltype(close)> key(opened, close);
    // The size, then the data in room for that size: a value that grew in
    // between no longer fits and reads as "".
    RegQueryValueExW(key.get(), valueName.c_str(), nullptr, nullptr, nullptr, &size);
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    if (size < 2 || RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &kind,
                                     reinterpret_cast<BYTE*>(text.data()), &size) != 0) {
        return {};
    }
    if (kind == REG_SZ || kind == REG_EXPAND_SZ || kind == REG_MULTI_SZ) {
        text.resize(size / sizeof(wchar_t));  // half a character is no text
    } else {
        text = platform::FromAnsi({reinterpret_cast<const char*>(text.data()), size});
    }
    // A value stored without its NUL keeps its last character, a final "\" too.
    if (!text.empty() && text.back() == L'\0') {
        text.pop_back();
    }
    return text;
}

}  // namespace placement::mdlvantel
