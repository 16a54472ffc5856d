#include "placement/registry_reader.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/import_slot.h"
#include "tests/support/printable.h"
#include "tests/support/scratch_key.h"

using placement::mdlvantel::GetRegString;
using placement::mdlvantel::lRegStatus;
using support::kUtf16Nul;
using support::Printable;
using support::ScratchKey;
using support::Utf16;

namespace {

// A value as a test stores it: a registry type and the raw bytes.
struct StoredValue {
    const char* what;
    DWORD type;
    std::string bytes;
    std::wstring expected;
};

std::string Dword(DWORD value) {
    return std::string(reinterpret_cast<const char*>(&value), 4);
}

}  // namespace

TEST(GetRegString, ReadsValuesAsTheirStoredText) {
    const std::wstring chineseFolder = L"D:\\文档\\微软\\启动\\";
    const std::wstring longText = std::wstring(20000, L'长') + std::wstring(20000, L'x') + L"\\";
    const std::vector<StoredValue> cases = {
        {"plain string", REG_SZ, Utf16(L"D:\\Word\\Startup\\") + kUtf16Nul, L"D:\\Word\\Startup\\"},
        {"string without its NUL keeps its last character", REG_SZ, Utf16(L"D:\\Word\\Startup\\"),
         L"D:\\Word\\Startup\\"},
        {"only the terminating NUL is dropped", REG_SZ, Utf16(L"C:\\a") + kUtf16Nul + kUtf16Nul,
         std::wstring(L"C:\\a\0", 5)},
        {"expandable string comes back unexpanded", REG_EXPAND_SZ,
         Utf16(L"%USERPROFILE%\\Startup") + kUtf16Nul, L"%USERPROFILE%\\Startup"},
        // Any other type is its bytes in the ANSI code page, as the ANSI
        // registry functions have always handed it over.
        {"number ending in a zero byte loses that byte", REG_DWORD, Dword(0x00434241), L"ABC"},
        {"number with no zero byte comes back whole", REG_DWORD, Dword(0x44434241), L"ABCD"},
        {"raw bytes of odd length, a Chinese character among them", REG_BINARY, "\xD6\xD0z",
         L"中z"},
        {"two raw bytes", REG_BINARY, "ab", L"ab"},
        {"Chinese folder in code page 936", REG_SZ, Utf16(chineseFolder) + kUtf16Nul,
         chineseFolder},
        {"long value over 32 KB", REG_SZ, Utf16(longText) + kUtf16Nul, longText},
        {"single character", REG_SZ, Utf16(L"x") + kUtf16Nul, L"x"},
        {"a character code page 936 lacks comes back as stored, not as a look-alike", REG_SZ,
         Utf16(L"C:\\s\u00BA") + kUtf16Nul, L"C:\\s\u00BA"},
    };
    ScratchKey key;
    for (const auto& c : cases) {
        key.SetBytes(L"value", c.type, c.bytes.data(), c.bytes.size());
        lRegStatus = 12345;
        DWORD type = REG_NONE;
        const std::wstring text = GetRegString(HKEY_CURRENT_USER, key.path(), L"value", &type);
        EXPECT_EQ(Printable(text), Printable(c.expected)) << c.what;
        EXPECT_EQ(text.size(), c.expected.size()) << c.what << ": no NUL or padding expected";
        EXPECT_EQ(type, c.type) << c.what;
        EXPECT_EQ(lRegStatus, 0) << c.what << ": the close's status expected";
    }
}

TEST(GetRegString, FailuresGiveEmptyTextAndTheirStatus) {
    ScratchKey key;
    key.SetBytes(L"only-nul", REG_SZ, L"", sizeof(wchar_t));
    key.SetBytes(L"no-data", REG_SZ, nullptr, 0);
    key.SetBytes(L"one-byte", REG_BINARY, "a", 1);
    key.SetBytes(L"half-a-character", REG_SZ, "a", 1);
    struct Case {
        const char* what;
        std::wstring keyPath, valueName;
        LONG status;
    } cases[] = {
        {"empty key path", L"", L"value", placement::mdlvantel::kEmptyKeyPath},
        {"missing key", key.path() + L"\\missing", L"value", ERROR_FILE_NOT_FOUND},
        {"missing value", key.path(), L"absent", 0},
        {"string holding only its NUL", key.path(), L"only-nul", 0},
        {"value with no data", key.path(), L"no-data", 0},
        {"value of one byte", key.path(), L"one-byte", 0},
        {"string of half a character", key.path(), L"half-a-character", 0},
    };
    for (const auto& c : cases) {
        lRegStatus = 12345;
        EXPECT_EQ(Printable(GetRegString(HKEY_CURRENT_USER, c.keyPath, c.valueName)), "") << c.what;
        EXPECT_EQ(lRegStatus, c.status) << c.what;
    }
}

TEST(GetRegString, KeyPathsAreCaseBlindAndNamesMayBeChinese) {
    ScratchKey key;
    key.SetString(L"启动路径", L"E:\\启动\\");
    std::wstring upper = key.path();
    for (auto& c : upper) {
        c = towupper(c);
    }
    EXPECT_EQ(Printable(GetRegString(HKEY_CURRENT_USER, upper, L"启动路径")),
              Printable(L"E:\\启动\\"));
}

TEST(GetRegString, LeaksNoHandleOnAnyPath) {
    ScratchKey key;
    key.SetString(L"value", L"C:\\Startup\\");
    key.SetBytes(L"only-nul", REG_SZ, L"", sizeof(wchar_t));
    auto readAll = [&] {
        GetRegString(HKEY_CURRENT_USER, key.path(), L"value");
        GetRegString(HKEY_CURRENT_USER, key.path(), L"absent");
        GetRegString(HKEY_CURRENT_USER, key.path(), L"only-nul");
        GetRegString(HKEY_CURRENT_USER, key.path() + L"\\missing", L"value");
        GetRegString(HKEY_CURRENT_USER, L"", L"value");
    };
    readAll();  // let any first-use handles settle
    DWORD before = 0, after = 0;
    ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &before));
    for (int i = 0; i < 1000; ++i) {
        readAll();
    }
    ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &after));
    EXPECT_EQ(after, before) << "5000 reads should leave the handle count as it was";
}

// What no registry does on its own at the right moment: a value that changes
// between the size query and the data query, and a close that fails. The
// reader's own calls go through the test exe's import slots.
namespace {

support::ImportSwap* sizeQuerySwap = nullptr;
std::function<void()> afterSizeQuery;
decltype(&RegCloseKey) realClose = nullptr;

LONG WINAPI QueryThenChange(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                            LPDWORD size) {
    const LONG status = sizeQuerySwap->original<decltype(RegQueryValueExW)>()(key, name, reserved,
                                                                              type, data, size);
    if (data == nullptr && afterSizeQuery) {
        std::exchange(afterSizeQuery, nullptr)();
    }
    return status;
}

LONG WINAPI CloseFailing(HKEY key) {
    realClose(key);
    return ERROR_INVALID_HANDLE;
}

}  // namespace

TEST(GetRegString, AnswersWithWhatTheDataQueryFinds) {
    ScratchKey key;
    const std::string startup = Utf16(L"C:\\Startup\\") + kUtf16Nul;
    struct Case {
        const char* what;
        std::function<void()> between;
        std::wstring expected;
        LONG closeStatus = ERROR_SUCCESS;
    } cases[] = {
        {"value grew: it no longer fits",
         [&] { key.SetString(L"value", L"C:\\A much longer startup folder\\"); }, L""},
        {"value shrank", [&] { key.SetString(L"value", L"C:\\S\\"); }, L"C:\\S\\"},
        {"value emptied", [&] { key.SetString(L"value", L""); }, L""},
        {"value deleted",
         [&] { RegDeleteKeyValueW(HKEY_CURRENT_USER, key.path().c_str(), L"value"); }, L""},
        {"value became a number: read as one",
         [&] { key.SetBytes(L"value", REG_DWORD, "AB\\\0", 4); }, L"AB\\"},
        {"close fails after a good read", nullptr, L"C:\\Startup\\", ERROR_INVALID_HANDLE},
    };
    for (auto& c : cases) {
        key.SetBytes(L"value", REG_SZ, startup.data(), startup.size());
        support::ImportSwap query("advapi32.dll", "RegQueryValueExW",
                                  reinterpret_cast<const void*>(&QueryThenChange));
        sizeQuerySwap = &query;
        afterSizeQuery = c.between;
        std::optional<support::ImportSwap> close;
        if (c.closeStatus != ERROR_SUCCESS) {
            close.emplace("advapi32.dll", "RegCloseKey",
                          reinterpret_cast<const void*>(&CloseFailing));
            realClose = close->original<decltype(RegCloseKey)>();
        }
        EXPECT_EQ(Printable(GetRegString(HKEY_CURRENT_USER, key.path(), L"value")),
                  Printable(c.expected))
            << c.what;
        EXPECT_EQ(lRegStatus, c.closeStatus) << c.what << ": the close's status expected";
        EXPECT_FALSE(afterSizeQuery) << c.what << ": the size query should come first";
    }
}
