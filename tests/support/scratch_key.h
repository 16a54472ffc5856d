// A registry key below HKEY_CURRENT_USER that a test creates, fills and removes
// again, so that the reader is tried against the real registry.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/test_handles.h"

namespace support {

// A text's UTF-16 bytes, as a registry value stores a string, without a NUL;
// add kUtf16Nul for one.
inline std::string Utf16(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}
inline const std::string kUtf16Nul(sizeof(wchar_t), '\0');

class ScratchKey {
public:
    ScratchKey();  // a fresh, empty key with a name of its own
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    // The key's path below HKEY_CURRENT_USER, as GetRegString takes it.
    const std::wstring& path() const { return path_; }

    void SetBytes(const std::wstring& name, DWORD type, const void* data, size_t size);
    void SetString(const std::wstring& name, const std::wstring& text, DWORD type = REG_SZ);

private:
    std::wstring path_;
    support::RegistryKey key_;
};

// Sets a value below HKEY_CURRENT_USER for the lifetime of the object and puts
// back whatever was there before (or nothing).
class ValueOverride {
public:
    ValueOverride(std::wstring keyPath, std::wstring name);  // removes the value
    ~ValueOverride();
    ValueOverride(const ValueOverride&) = delete;
    ValueOverride& operator=(const ValueOverride&) = delete;

    void Set(const std::wstring& text);
    void SetBytes(DWORD type, const std::string& bytes);
    void Remove();

private:
    std::wstring keyPath_, name_;
    bool hadValue_ = false;
    DWORD type_ = 0;
    std::vector<BYTE> saved_;
};

}  // namespace support
