#include "platform/process.h"

#include "platform/later_windows.h"

namespace platform {

void NarrowDllSearchPath() {
    if (const auto setDefault = LATER_WINDOWS(L"kernel32.dll", SetDefaultDllDirectories)) {
        setDefault(later::kSearchSystem32);
    }
    SetDllDirectoryW(L"");
}

void KeepHardErrorBoxesAway() {
    // Windows XP has no GetErrorMode: the mode is read by setting it.
    const UINT inherited = SetErrorMode(0);
    SetErrorMode(inherited | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}

void EndProgram(UINT exitCode) {
    ExitProcess(exitCode);
}

}  // namespace platform
