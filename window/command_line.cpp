#include "window/command_line.h"

#include <cwchar>
#include <string>

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

}  // namespace window
