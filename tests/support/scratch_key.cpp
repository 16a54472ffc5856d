#include "tests/support/scratch_key.h"

#include <stdexcept>

namespace support {

namespace {

void Check(LONG status, const char* what) {
    if (status != ERROR_SUCCESS) {
        throw std::runtime_error(std::string(what) + " failed with " + std::to_string(status));
    }
}

}  // namespace

ScratchKey::ScratchKey() {
    static int counter = 0;
    path_ = L"software\\tovrel-tests\\key-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter);
    RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    HKEY key = nullptr;
    Check(RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          &key, nullptr),
          "RegCreateKeyExW");
    key_.reset(key);
}

ScratchKey::~ScratchKey() {
    key_.reset();
    RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
}

void ScratchKey::SetBytes(const std::wstring& name, DWORD type, const void* data, size_t size) {
    Check(RegSetValueExW(key_.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data),
                         static_cast<DWORD>(size)),
          "RegSetValueExW");
}

void ScratchKey::SetString(const std::wstring& name, const std::wstring& text, DWORD type) {
    SetBytes(name, type, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

ValueOverride::ValueOverride(std::wstring keyPath, std::wstring name)
    : keyPath_(std::move(keyPath)), name_(std::move(name)) {
    constexpr DWORD kAnyUnexpanded = RRF_RT_ANY | RRF_NOEXPAND;
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, keyPath_.c_str(), name_.c_str(), kAnyUnexpanded, &type_,
                     nullptr, &size) == ERROR_SUCCESS) {
        saved_.resize(size);
        hadValue_ = RegGetValueW(HKEY_CURRENT_USER, keyPath_.c_str(), name_.c_str(), kAnyUnexpanded,
                                 &type_, saved_.data(), &size) == ERROR_SUCCESS;
        saved_.resize(size);
    }
    Remove();
}

ValueOverride::~ValueOverride() {
    if (hadValue_) {
        RegSetKeyValueW(HKEY_CURRENT_USER, keyPath_.c_str(), name_.c_str(), type_, saved_.data(),
                        static_cast<DWORD>(saved_.size()));
    } else {
        Remove();
    }
}

void ValueOverride::Set(const std::wstring& text) {
    Check(RegSetKeyValueW(HKEY_CURRENT_USER, keyPath_.c_str(), name_.c_str(), REG_SZ, text.c_str(),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
          "RegSetKeyValueW");
}

void ValueOverride::SetBytes(DWORD type, const std::string& bytes) {
    Check(RegSetKeyValueW(HKEY_CURRENT_USER, keyPath_.c_str(), name_.c_str(), type, bytes.data(),
                          static_cast<DWORD>(bytes.size())),
          "RegSetKeyValueW");
}

void ValueOverride::Remove() {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, keyPath_.c_str(), name_.c_str());
}

}  // namespace support
