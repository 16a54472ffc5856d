// hold_file PATH READY-EVENT RELEASE-EVENT [SHARE]
// Opens PATH for reading and writing, sharing it for reading only (as a running
// Word holds its startup templates) or as the number SHARE says; signals
// READY-EVENT, then keeps the file open until RELEASE-EVENT is set (or a minute
// has passed).
#include <windows.h>

#include <cstdlib>

int wmain(int argc, wchar_t** argv) {
    if (argc != 4 && argc != 5) {
        return 2;
    }
    const DWORD share = argc == 5 ? _wtoi(argv[4]) : FILE_SHARE_READ;
    HANDLE file = CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 1;
    }
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2]);
    HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, argv[3]);
    if (!ready || !release) {
        return 3;
    }
    SetEvent(ready);
    WaitForSingleObject(release, 60000);
    CloseHandle(file);
    return 0;
}
