#include "placement/registry_reader.h"

#include "platform/ansi_text.h"
#include "platform/handles.h"

namespace placement::mdlvantel {

LONG lRegStatus = 0;

namespace {

const RegistryCalls kWindowsRegistry{&RegOpenKeyA, &RegQueryValueExA, &RegCloseKey,
                                     &RegQueryValueExW};

// Closes the opened key on every way out of the reader; the close's result is
// what lRegStatus holds afterwards.
struct CloseKeyInto {
    const RegistryCalls* calls;
    void operator()(HKEY key) const noexcept { lRegStatus = calls->closeKey(key); }
};

// The string `key` holds under `valueName` as it is stored, when it is one and
// differs from `read`, the text the ANSI query gave; else `read`. The ANSI query
// hands back a character the code page lacks as a look-alike ("º" as "o"),
// which would name another folder; the stored text lets the file services
// refuse the path instead.
std::wstring AsStored(const RegistryCalls& calls, HKEY key, const std::wstring& valueName,
                      std::wstring read) {
    DWORD type = REG_NONE, size = 0;
    if (calls.queryValueW(key, valueName.c_str(), nullptr, &type, nullptr, &size) != 0 ||
        (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ)) {
        return read;
    }
    std::wstring stored(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(stored.size() * sizeof(wchar_t));
    if (calls.queryValueW(key, valueName.c_str(), nullptr, &type,
                          reinterpret_cast<BYTE*>(stored.data()), &size) != 0) {
        return read;
    }
    stored.resize(size / sizeof(wchar_t));
    if (!stored.empty() && stored.back() == L'\0') {
        stored.pop_back();
    }
    return stored != read ? stored : read;
}

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
        result = AsStored(calls, key.get(), valueName, platform::FromAnsi(buffer));
    }
    return result;
}

}  // namespace placement::mdlvantel
