#include "placement/registry_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
        {"expandable string comes back unexpanded", REG_EXPAND_SZ,
         Utf16(L"%USERPROFILE%\\Startup") + kUtf16Nul, L"%USERPROFILE%\\Startup"},
        {"number ending in a zero byte loses that byte", REG_DWORD, Dword(0x00434241), L"ABC"},
        {"number with no zero byte comes back whole", REG_DWORD, Dword(0x44434241), L"ABCD"},
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
        const std::wstring text = GetRegString(HKEY_CURRENT_USER, key.path(), L"value");
        EXPECT_EQ(Printable(text), Printable(c.expected)) << c.what;
        EXPECT_EQ(text.size(), c.expected.size()) << c.what << ": no NUL or padding expected";
        EXPECT_EQ(lRegStatus, 0) << c.what << ": the close's status expected";
    }
}

TEST(GetRegString, FailuresGiveEmptyTextAndTheirStatus) {
    ScratchKey key;
    key.SetBytes(L"only-nul", REG_SZ, L"", sizeof(wchar_t));
    key.SetBytes(L"no-data", REG_SZ, nullptr, 0);
    key.SetBytes(L"one-byte", REG_BINARY, "a", 1);
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

// What cannot be staged in the real registry: a value that changes between the
// size query and the data query, and a failing close. The fake registry logs
// every call so the order of calls can be checked too.
namespace {

struct FakeRegistry {
    std::vector<std::string> calls;
    std::string data;       // what the data query hands back
    DWORD sizeAnswer = 0;   // what the size query reports
    LONG dataStatus = 0;    // what the data query returns
    DWORD dataWritten = 0;  // what the data query reports as written
    LONG closeStatus = 0;
};
FakeRegistry fake;
const HKEY kFakeKey = reinterpret_cast<HKEY>(0x1234);

LONG WINAPI FakeOpen(HKEY, LPCSTR path, PHKEY out) {
    fake.calls.push_back(std::string("open ") + path);
    *out = kFakeKey;
    return 0;
}

LONG WINAPI FakeQuery(HKEY key, LPCSTR, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size) {
    EXPECT_EQ(key, kFakeKey);
    EXPECT_EQ(reserved, nullptr);
    EXPECT_EQ(*type, static_cast<DWORD>(REG_SZ));
    if (*size == 0) {
        fake.calls.push_back("size-query");
        *size = fake.sizeAnswer;
        return ERROR_MORE_DATA;
    }
    fake.calls.push_back("data-query " + std::to_string(*size));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), *size + 1), std::string(*size + 1, ' '))
        << "the data query gets dataLen + 1 spaces";
    std::copy(fake.data.begin(), fake.data.end(), data);
    *size = fake.dataWritten;
    return fake.dataStatus;
}

LONG WINAPI FakeClose(HKEY key) {
    EXPECT_EQ(key, kFakeKey);
    fake.calls.push_back("close");
    return fake.closeStatus;
}

LONG WINAPI FakeQueryW(HKEY, LPCWSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD) {
    return ERROR_FILE_NOT_FOUND;  // no string: the ANSI text stands
}

const placement::mdlvantel::RegistryCalls kFake{&FakeOpen, &FakeQuery, &FakeClose, &FakeQueryW};

}  // namespace

TEST(GetRegString, JudgesOnlyWhatTheDataQueryReports) {
    struct Case {
        const char* what;
        FakeRegistry registry;
        std::wstring expected;
        LONG status;
    } cases[] = {
        {"value grew between the queries", {{}, "", 6, ERROR_MORE_DATA, 9, 0}, L"", 0},
        {"data query reports no bytes", {{}, "", 6, 0, 0, 0}, L"", 0},
        {"value shrank between the queries", {{}, std::string("ab\0", 3), 6, 0, 3, 0}, L"ab", 0},
        {"close fails after a good read", {{}, std::string("ab\0", 3), 3, 0, 3, 6}, L"ab", 6},
        {"empty string", {{}, std::string("\0", 1), 1, 0, 1, 0}, L"", 0},
        {"string stored without its NUL", {{}, "ab\\", 3, 0, 3, 0}, L"ab\\", 0},
    };
    for (auto& c : cases) {
        fake = c.registry;
        EXPECT_EQ(Printable(GetRegString(kFake, HKEY_CURRENT_USER, L"some\\key", L"v")),
                  Printable(c.expected))
            << c.what;
        EXPECT_EQ(lRegStatus, c.status) << c.what;
        EXPECT_EQ(fake.calls.back(), "close") << c.what << ": the key is always closed";
    }
}
