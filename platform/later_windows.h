// A function that only later Windows have, looked up when it is needed rather
// than imported: Windows XP refuses to start an exe with an import it cannot
// find.
#pragma once

#include <windows.h>

namespace platform {

// `name` from the loaded system DLL `module`, as `Function`, or null where this
// Windows lacks it. Use it through LATER_WINDOWS, which takes the type from the
// SDK's own declaration.
template <class Function>
Function Later(const wchar_t* module, const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(module), name)));
}

}  // namespace platform

// LATER_WINDOWS(L"user32.dll", GetDpiForWindow): a pointer of the declared
// type, so a slip in the calling convention or the arguments cannot compile
// (on x86-64 a wrong convention would otherwise pass silently).
#define LATER_WINDOWS(module, function) ::platform::Later<decltype(&::function)>(module, #function)
