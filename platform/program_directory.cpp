#include <windows.h>

#include "platform/runtime_services.h"

namespace platform {

std::wstring ProgramDirectory() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            RaiseLastError();
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);  // truncated: long paths need more room
    }
    const size_t lastSeparator = path.find_last_of(L'\\');
    if (lastSeparator == std::wstring::npos) {
        RaiseLastError();
    }
    path.resize(lastSeparator);
    if (path.size() == 2 && path[1] == L':') {
        path += L'\\';  // a drive's root keeps its separator, as "C:\"
    }
    return path;
}

}  // namespace platform
