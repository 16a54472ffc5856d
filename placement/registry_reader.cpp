#include "placement/registry_reader.h"

#include "platform/ansi_text.h"
#include "platform/handles.h"

namespace placement::mdlvantel {

LONG lRegStatus = 0;

namespace {

const RegistryCalls kWindowsRegistry{&RegOpenKeyA, &RegQueryValueExA, &RegCloseKey};

// Closes the opened key on every way out of the reader; the close's result is
// what lRegStatus holds afterwards.
struct CloseKeyInto {
    const RegistryCalls* calls;
    void operator()(HKEY key) const noexcept { lRegStatus = calls->closeKey(key); }
};

}  // namespace

std::wstring GetRegString(HKEY rootKey, std::wstring keyPath, std::wstring valueName) {
    return GetRegString(kWindowsRegistry, rootKey, std::move(keyPath), std::move(valueName));
}

std::wstring GetRegString(const RegistryCalls& calls, HKEY rootKey, std::wstring keyPath,
                          std::wstring valueName) {
    std::wstring result;
    lRegStatus = 0;
    if (keyPath.empty()) {
        lRegStatus = kEmptyKeyPath;
        return result;
    }

    HKEY opened = nullptr;
    lRegStatus = calls.openKey(rootKey, platform::ToAnsi(keyPath).c_str(), &opened);
    if (lRegStatus != ERROR_SUCCESS) {
        return result;
    }
    const platform::Owned<HKEY, CloseKeyInto> key(opened, {&calls});

    // Size query into a 4-byte scratch buffer offered as 0 bytes: the registry
    // answers with the size it needs. Only that size decides what follows.
    const std::string ansiValueName = platform::ToAnsi(valueName);
    DWORD type = REG_SZ;
    DWORD scratch = 0;
    DWORD dataLen = 0;
    lRegStatus = calls.queryValue(key.get(), ansiValueName.c_str(), nullptr, &type,
                                  reinterpret_cast<BYTE*>(&scratch), &dataLen);
    if (dataLen < 2) {
        return result;  // missing, no data, or a string holding only its NUL
    }

    std::string buffer(static_cast<size_t>(dataLen) + 1, ' ');
    lRegStatus = calls.queryValue(key.get(), ansiValueName.c_str(), nullptr, &type,
                                  reinterpret_cast<BYTE*>(buffer.data()), &dataLen);
    if (lRegStatus == ERROR_SUCCESS && dataLen > 0) {
        buffer.resize(std::min<size_t>(dataLen, buffer.size()));
        // Only a terminating NUL is dropped: a string stored without one keeps
        // its last character (a folder's final "\" above all).
        if (buffer.back() == '\0') {
            buffer.pop_back();
        }
        result = platform::FromAnsi(buffer);
    }
    return result;
}

}  // namespace placement::mdlvantel
