#include "window/command_line.h"

#include <cwchar>
#include <string>

#include "placement/error_rule.h"
#include "placement/template_switch.h"
#include "platform/process.h"
#include "platform/ansi_text.h"
#include "window/texts.h"

namespace window {

Command ReadCommand(const wchar_t* p) {
    constexpr wchar_t kBlanks[] = L" \t";
    if (*p == L'"') {
        const wchar_t* closing = std::wcschr(p + 1, L'"');
        p = closing ? closing + 1 : p + std::wcslen(p);
    } else {
        p += std::wcscspn(p, kBlanks);
    }
    p += std::wcsspn(p, kBlanks);
    if (!*p) {
        return Command::Window;
    }
    // Unquoted as the C runtime does it: 2n backslashes and a quote give n
    // backslashes and open or close a quoted part, 2n+1 give n and a quote;
    // "" inside a quoted part gives a quote.
    std::wstring argument;
    for (bool quoted = false; *p && (quoted || (*p != L' ' && *p != L'\t'));) {
        const size_t slashes = std::wcsspn(p, L"\\");
        if (p[slashes] != L'"') {
            argument.append(slashes ? slashes : 1, slashes ? L'\\' : *p);
            p += slashes ? slashes : 1;
            continue;
        }
        argument.append(slashes / 2, L'\\');
        p += slashes + 1;
        if (slashes % 2) {
            argument += L'"';
        } else if (quoted && *p == L'"') {
            argument += *p++;
        } else {
            quoted = !quoted;
        }
    }
    p += std::wcsspn(p, kBlanks);
    if (*p || argument.size() < 2 || (argument[0] != L'/' && argument[0] != L'-')) {
        return Command::NotUnderstood;
    }
    // ASCII letters only: no other script's letter stands in for one.
    for (wchar_t& c : argument) {
        c = c >= L'A' && c <= L'Z' ? c + (L'a' - L'A') : c;
    }
    const wchar_t* const names[] = {L"enable", L"disable", L"status", L"?"};
    for (int i = 0; i < 4; ++i) {
        if (argument.compare(1, std::wstring::npos, names[i]) == 0) {
            return static_cast<Command>(i);
        }
    }
    return Command::NotUnderstood;
}

namespace {

using platform::WriteStandard;

constexpr wchar_t kUsage[] =
    L"usage: tovrel [/enable | /disable | /status]\r\n"
    L"switches the Quorlen add-in without a window and prints on, off or unknown;\r\n"
    L"exit code 0 done, 1 off, 2 not switched, 3 cannot tell, 4 LocalSystem, 87 usage\r\n";
constexpr wchar_t kLocalSystem[] = L"tovrel: runs as LocalSystem: run it as the user\r\n";

// By switch (Enable, Disable, Status) and the state after (Off, On, CannotTell).
constexpr int kExitCodes[3][3] = {{2, 0, 3}, {0, 2, 3}, {1, 0, 3}};
constexpr const wchar_t* kStates[] = {L"off\r\n", L"on\r\n", L"unknown\r\n"};

}  // namespace

int RunSilentSwitch(Command command) {
    if (command == Command::Usage || command == Command::NotUnderstood) {
        const bool asked = command == Command::Usage;
        WriteStandard(asked ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE, kUsage);
        return asked ? 0 : ERROR_INVALID_PARAMETER;
    }
    if (platform::RunsAsLocalSystem()) {
        WriteStandard(STD_OUTPUT_HANDLE, kStates[static_cast<int>(platform::Presence::CannotTell)]);
        WriteStandard(STD_ERROR_HANDLE, kLocalSystem);
        return 4;
    }
    std::wstring failedSteps;
    placement::KeepPassedOver(&failedSteps);
    placement::TemplateLocations locations;
    placement::ResolveTemplateLocations(locations);
    if (command == Command::Enable) {
        placement::Enable(locations);
    } else if (command == Command::Disable) {
        placement::Disable(locations);
    }
    // One look gives both the line and the exit code, so that they agree
    // whatever another tovrel does meanwhile.
    const int after = static_cast<int>(placement::IsInstalled(locations.strDest));
    placement::KeepPassedOver(nullptr);
    const int code = kExitCodes[static_cast<int>(command)][after];
    WriteStandard(STD_OUTPUT_HANDLE, kStates[after]);
    if (code >= 2) {
        if (command != Command::Status) {
            WriteStandard(STD_ERROR_HANDLE,
                          command == Command::Enable ? kNotEnabledMessage : kNotDisabledMessage);
            WriteStandard(STD_ERROR_HANDLE, L"\r\n");
        }
        WriteStandard(STD_ERROR_HANDLE, failedSteps);
    }
    return code;
}

}  // namespace window
