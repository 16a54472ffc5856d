// The command line as Windows hands it over: only a whole switch counts, and a
// line meant for another reader (a look-alike character, a second argument)
// is refused rather than guessed at.
#include <gtest/gtest.h>

#include <string>

#include "window/command_line.h"

namespace {

using window::Command;

std::wstring Repeated(const std::wstring& text, int times) {
    std::wstring all;
    while (times-- > 0) {
        all += text;
    }
    return all;
}

TEST(CommandLine, OnlyAWholeSwitchCounts) {
    constexpr Command kWindow = Command::Window, kNo = Command::NotUnderstood;
    const struct {
        const char* what;
        std::wstring line;
        Command expected;
    } rows[] = {
        {"nothing after the name", L"tovrel.exe", kWindow},
        {"spaces and tabs after a quoted name", L"\"C:\\a b\\tovrel.exe\" \t ", kWindow},
        {"a switch glued to an unquoted name is part of it", L"tovrel.exe/status", kWindow},
        {"a quoted name ends at its quote", L"\"C:\\a b\\tovrel.exe\"/status", Command::Status},
        {"a name whose quote never closes", L"\"C:\\a\\tovrel.exe /status", kWindow},
        {"/enable", L"tovrel /enable", Command::Enable},
        {"/disable, a dash and any ASCII case", L"tovrel\t-DiSaBlE \t", Command::Disable},
        {"/?", L"tovrel /?", Command::Usage},
        {"quoted whole", L"tovrel \"/status\"", Command::Status},
        {"an empty quoted part inside", L"tovrel /sta\"\"tus", Command::Status},
        {"an empty quoted argument", L"tovrel \"\"", kNo},
        {"a quote inside a quoted part", L"tovrel \"/sta\"\"tus\"", kNo},
        {"an escaped quote", L"tovrel \\\"/status\\\"", kNo},
        {"a backslash before it", L"tovrel \\/status", kNo},
        {"two switches", L"tovrel /enable /disable", kNo},
        {"a value", L"tovrel /enable:yes", kNo},
        {"an abbreviation", L"tovrel /en", kNo},
        {"a slash alone", L"tovrel /", kNo},
        {"a bare word", L"tovrel status", kNo},
        {"a fullwidth solidus", L"tovrel \uFF0Fstatus", kNo},
        {"an en dash", L"tovrel \u2013status", kNo},
        {"a dotted capital I", L"tovrel /D\u0130SABLE", kNo},
        {"a no-break space after it", L"tovrel /status\u00A0", kNo},
        {"a zero-width space after it", L"tovrel /status\u200B", kNo},
        {"a control character for ?", L"tovrel /\x1F", kNo},
        {"a 32,000-character argument", L"tovrel /status" + std::wstring(32000, L'x'), kNo},
        {"32,000 backslashes before a quoted switch",
         L"tovrel " + std::wstring(32000, L'\\') + L"\"/status\"", kNo},
        {"1,000 arguments", L"tovrel" + Repeated(L" /status", 1000), kNo},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(window::ReadCommand(row.line.c_str()), row.expected)
            << row.what << ": expected command " << static_cast<int>(row.expected);
    }
}

}  // namespace
