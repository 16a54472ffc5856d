#include "platform/process.h"

#include "platform/later_windows.h"

namespace platform {

void SetUpProcess() {
    if (const auto setDefault = LATER_WINDOWS(L"kernel32.dll", SetDefaultDllDirectories)) {
        setDefault(later::kSearchSystem32);
    }
    SetDllDirectoryW(L"");
    // Windows XP has no GetErrorMode: the mode is read by setting it.
    SetErrorMode(SetErrorMode(0) | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}

void EndProgram(UINT exitCode) {
    ExitProcess(exitCode);
}

}  // namespace platform
