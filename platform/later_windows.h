// A function looked up when it is needed rather than imported: Windows XP
// refuses to start an exe with an import it cannot find, and a DLL the program
// seldom needs costs its start-up nothing until then.
#pragma once

#include <windows.h>

namespace platform {

// Every lookup of a later function fails while this is set, as on Windows XP,
// which has none of them. Only tests set it: Wine has them all, so nothing
// else would run the paths XP takes.
inline bool asWindowsXp = false;

// `name` from the loaded DLL `module`, as `Function`, or null where this
// Windows lacks it. Use it through LATER_WINDOWS or IN_NTDLL, which take the
// type from the SDK's own declaration.
template <class Function>
Function Later(const wchar_t* module, const char* name, bool onWindowsXp = false) {
    if (asWindowsXp && !onWindowsXp) {
        return nullptr;
    }
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(module), name)));
}

}  // namespace platform

// LATER_WINDOWS(L"user32.dll", GetDpiForWindow): a pointer of the declared
// type, so a slip in the calling convention or the arguments cannot compile
// (on x86-64 a wrong convention would otherwise pass silently).
#define LATER_WINDOWS(module, function) ::platform::Later<decltype(&::function)>(module, #function)

// IN_NTDLL(NtSetInformationFile): a function of ntdll that Windows XP has too,
// looked up all the same, since the exe imports nothing from ntdll; found also
// while asWindowsXp is set, so that the tests run the paths XP takes with it.
#define IN_NTDLL(function) \
    ::platform::Later<decltype(&::function)>(L"ntdll.dll", #function, /*onWindowsXp=*/true)
