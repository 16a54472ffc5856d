#include "platform/process.h"

#include "platform/handles.h"
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

bool RunsAsLocalSystem() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return false;
    }
    const KernelHandle owned(token);
    alignas(TOKEN_USER) BYTE record[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    DWORD size = 0;
    return GetTokenInformation(token, TokenUser, record, sizeof record, &size) &&
           IsWellKnownSid(reinterpret_cast<TOKEN_USER*>(record)->User.Sid, WinLocalSystemSid);
}

}  // namespace platform
