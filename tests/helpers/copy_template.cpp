// copy_template [--as-windows-xp] SOURCE DESTINATION
// Copies SOURCE to DESTINATION as 启 用 does, so that a test can end the copy
// by force half way; exits with the Win32 error of the copy (0 when done).
#include <windows.h>

#include <cwchar>

#include "platform/files.h"
#include "platform/later_windows.h"

int wmain(int argc, wchar_t** argv) {
    int first = 1;
    if (argc > 1 && std::wcscmp(argv[1], L"--as-windows-xp") == 0) {
        platform::asWindowsXp = true;
        ++first;
    }
    if (argc - first != 2) {
        return ERROR_BAD_ARGUMENTS;
    }
    return static_cast<int>(platform::CopyFileReplacing(argv[first], argv[first + 1]));
}
