// copy_template SOURCE DESTINATION
// Copies SOURCE to DESTINATION as 启 用 does, for a test to end half way;
// exits with the Win32 error of the copy (0 when done).
#include <windows.h>

#include "placement/template_switch.h"

int wmain(int argc, wchar_t** argv) {
    return argc == 3 ? static_cast<int>(placement::CopyFileReplacing(argv[1], argv[2]))
                     : ERROR_BAD_ARGUMENTS;
}
