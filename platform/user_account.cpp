#include "platform/user_account.h"

#include <windows.h>

#include "platform/handles.h"

namespace platform {

bool RunsAsLocalSystem() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return false;
    }
    const KernelHandle owned(token);
    union {
        TOKEN_USER user;
        BYTE room[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } record;
    DWORD size = 0;
    return GetTokenInformation(token, TokenUser, &record, sizeof record, &size) &&
           IsWellKnownSid(record.user.User.Sid, WinLocalSystemSid);
}

}  // namespace platform
