#include "platform/standard_output.h"

#include "platform/ansi_text.h"
#include "platform/handles.h"

namespace platform {

void WriteStandard(DWORD which, std::wstring_view text) {
    HANDLE handle = GetStdHandle(which);
    KernelHandle console;
    if (!handle || handle == INVALID_HANDLE_VALUE) {
        AttachConsole(ATTACH_PARENT_PROCESS);  // fails harmlessly when attached or none
        console.reset(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                  nullptr));
        if (!console) {
            return;
        }
        handle = console.get();
    }
    DWORD mode = 0, written = 0;
    if (GetConsoleMode(handle, &mode)) {
        WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const std::string bytes = ToAnsi(text);
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace platform
