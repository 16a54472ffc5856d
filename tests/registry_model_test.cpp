// GetRegString against a simple model of its rules, over thousands of random
// values: the stored bytes up to the stored length, a final NUL dropped, read
// in code page 936. Run with TOVREL_SEED=n to repeat a failing run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>

#include "placement/registry_reader.h"
#include "tests/support/scratch_key.h"

namespace {

std::wstring From936(const std::string& bytes) {
    if (bytes.empty()) {
        return {};
    }
    const int size = static_cast<int>(bytes.size());
    std::wstring text(MultiByteToWideChar(936, 0, bytes.data(), size, nullptr, 0), L'\0');
    MultiByteToWideChar(936, 0, bytes.data(), size, text.data(), static_cast<int>(text.size()));
    return text;
}

class Generator {
public:
    explicit Generator(unsigned seed) : random_(seed) {}

    size_t Length() {  // mostly short, now and then up to 64 KB
        const unsigned pick = Below(100);
        return pick < 70 ? Below(300) : pick < 95 ? Below(4096) : Below(65536);
    }
    // Raw bytes: ASCII, double-byte GBK pairs, stray lead bytes and NULs.
    std::string Bytes(size_t length) {
        std::string bytes;
        while (bytes.size() < length) {
            const unsigned pick = Below(10);
            if (pick < 4) {
                bytes += static_cast<char>(0x20 + Below(0x5f));
            } else if (pick < 8) {
                bytes += static_cast<char>(0xb0 + Below(0x48));
                bytes += static_cast<char>(0xa1 + Below(0x5e));
            } else if (pick < 9) {
                bytes += static_cast<char>(0x81 + Below(0x7e));
            } else {
                bytes += '\0';
            }
        }
        bytes.resize(length);
        return bytes;
    }
    unsigned Below(unsigned n) {
        return std::uniform_int_distribution<unsigned>(0, n - 1)(random_);
    }

private:
    std::mt19937 random_;
};

}  // namespace

TEST(GetRegStringModel, MatchesTheModelOnRandomValues) {
    const char* fixed = std::getenv("TOVREL_SEED");
    const unsigned seed =
        fixed ? static_cast<unsigned>(std::strtoul(fixed, nullptr, 10)) : std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed) +
                 " (rerun with TOVREL_SEED=" + std::to_string(seed) + ")");
    Generator generate(seed);
    testing_support::ScratchKey key;
    DWORD handlesBefore = 0, handlesAfter = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handlesBefore);

    int failures = 0;
    for (int i = 0; i < 3000 && failures < 5; ++i) {
        std::wstring expected;
        const std::wstring name = L"v" + std::to_wstring(generate.Below(4));
        if (generate.Below(2)) {
            // A string as Windows stores it, in UTF-16, from valid GBK text,
            // with or without its NUL.
            const std::string gbk = generate.Bytes(generate.Length());
            std::wstring text = From936(gbk);
            text.erase(std::remove(text.begin(), text.end(), L'\0'), text.end());
            const bool withNul = generate.Below(4) != 0;
            const DWORD type = generate.Below(2) ? REG_SZ : REG_EXPAND_SZ;
            key.SetBytes(name, type, text.c_str(),
                         (text.size() + (withNul ? 1 : 0)) * sizeof(wchar_t));
            // The size query answers with the stored UTF-16 size, so any
            // text of one character or more passes the two-byte threshold.
            expected = text;
        } else {
            // Raw bytes of a non-string type come back as they are.
            const DWORD types[] = {REG_BINARY, REG_DWORD, REG_NONE, REG_QWORD};
            std::string bytes = generate.Bytes(generate.Length());
            key.SetBytes(name, types[generate.Below(4)], bytes.data(), bytes.size());
            if (bytes.size() >= 2) {
                if (bytes.back() == '\0') {
                    bytes.pop_back();
                }
                expected = From936(bytes);
            }
        }
        const std::wstring actual = mdlvantel::GetRegString(HKEY_CURRENT_USER, key.path(), name);
        if (actual != expected) {
            ++failures;
            ADD_FAILURE() << "value " << i << ": expected " << expected.size()
                          << " characters, got " << actual.size();
        }
        if (mdlvantel::lRegStatus != 0) {
            ++failures;
            ADD_FAILURE() << "value " << i << ": status " << mdlvantel::lRegStatus
                          << ", expected 0";
        }
    }
    GetProcessHandleCount(GetCurrentProcess(), &handlesAfter);
    EXPECT_EQ(handlesAfter, handlesBefore) << "no key may stay open";
}
