#include "platform/user_account.h"

#include "platform/handles.h"

namespace platform {

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
