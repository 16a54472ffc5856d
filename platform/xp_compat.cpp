// Windows XP has no GetTickCount64, yet the threads library that the C++
// runtime brings along imports it, and XP refuses to start an exe with an
// import it cannot find. Defining the import slot here keeps that import out
// of tovrel.exe; where Windows has the function, it is still what answers.
#include <windows.h>

#include "platform/later_windows.h"

namespace {

ULONGLONG WINAPI TickCount64() {
    const auto real = LATER_WINDOWS(L"kernel32.dll", GetTickCount64);
    // Without it, the 32-bit count: it wraps after 49.7 days, which only
    // shortens a timeout that happens to span the wrap.
    return real ? real() : GetTickCount();
}

}  // namespace

// The slot's name as the linker spells it: stdcall-decorated on 32-bit Windows.
#if defined(__i386__)
#define TICK_COUNT_64_SLOT "__imp__GetTickCount64@0"
#else
#define TICK_COUNT_64_SLOT "__imp_GetTickCount64"
#endif

extern "C" {
// Typed as Windows declares the function, so that the stand-in must match it.
extern const decltype(&::GetTickCount64) tickCount64Import __asm__(TICK_COUNT_64_SLOT);
const decltype(&::GetTickCount64) tickCount64Import = &TickCount64;
}
