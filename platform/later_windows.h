// A function that only later Windows have, looked up when it is needed rather
// than imported: Windows XP refuses to start an exe with an import it cannot
// find.
#pragma once

#include <windows.h>

namespace platform {

// `name` from the loaded system DLL `module`, as `Function`, or null where this
// Windows lacks it.
template <class Function>
Function Later(const wchar_t* module, const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(module), name)));
}

}  // namespace platform
