#include "window/command_line.h"

#include <cstddef>

namespace window {

namespace {

constexpr size_t kLongest = 8;  // "/disable"

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

// The argument from `p` on, unquoted as the C runtime does it: 2n backslashes
// and a quote give n backslashes and open or close a quoted part, 2n+1 give n
// and a quote; "" inside a quoted part gives a quote. Its first characters,
// as many as a switch has, go to `kept`; answers its length and leaves `p`
// after it.
size_t TakeArgument(const wchar_t*& p, wchar_t (&kept)[kLongest]) {
    size_t length = 0;
    const auto add = [&](wchar_t c, size_t count) {
        for (; count; --count, ++length) {
            if (length < kLongest) {
                kept[length] = c;
            }
        }
    };
    bool quoted = false;
    while (*p && (quoted || !IsBlank(*p))) {
        size_t slashes = 0;
        while (p[slashes] == L'\\') {
            ++slashes;
        }
        if (p[slashes] != L'"') {
            add(slashes ? L'\\' : *p, slashes ? slashes : 1);
            p += slashes ? slashes : 1;
            continue;
        }
        add(L'\\', slashes / 2);
        p += slashes + 1;
        if (slashes % 2) {
            add(L'"', 1);
        } else if (quoted && *p == L'"') {
            add(*p++, 1);
        } else {
            quoted = !quoted;
        }
    }
    return length;
}

// "/" or "-" and `name`, in ASCII letters of either case only: no other
// script's letter stands in for one.
bool IsSwitch(const wchar_t* argument, size_t length, const wchar_t* name) {
    if (length < 2 || length > kLongest || (argument[0] != L'/' && argument[0] != L'-')) {
        return false;
    }
    for (size_t i = 1; i < length; ++i) {
        const wchar_t c = argument[i];
        if (!name[i - 1] || (c >= L'A' && c <= L'Z' ? c + (L'a' - L'A') : c) != name[i - 1]) {
            return false;
        }
    }
    return !name[length - 1];
}

}  // namespace

Command ReadCommand(const wchar_t* commandLine) {
    const wchar_t* p = commandLine;
    if (*p == L'"') {
        do {
            ++p;
        } while (*p && *p != L'"');
        p += *p ? 1 : 0;
    } else {
        while (*p && !IsBlank(*p)) {
            ++p;
        }
    }
    const auto skipBlanks = [&] {
        while (IsBlank(*p)) {
            ++p;
        }
    };
    skipBlanks();
    if (!*p) {
        return Command::Window;
    }
    wchar_t argument[kLongest];
    const size_t length = TakeArgument(p, argument);
    skipBlanks();
    const wchar_t* const names[] = {L"enable", L"disable", L"status", L"?"};
    for (int i = 0; i < 4 && !*p; ++i) {
        if (IsSwitch(argument, length, names[i])) {
            return static_cast<Command>(i);
        }
    }
    return Command::NotUnderstood;
}

}  // namespace window
