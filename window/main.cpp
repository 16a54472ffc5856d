#include <windows.h>
#include <commctrl.h>

#include "platform/process.h"
#include "window/command_line.h"
#include "window/settings_dialog.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    platform::SetUpProcess();
    if (const auto command = window::ReadCommand(GetCommandLineW());
        command != window::Command::Window) {
        return window::RunSilentSwitch(command);
    }
    // Windows XP registers the classes of the common controls the manifest
    // asks for only once the library is loaded.
    InitCommonControls();
    window::SettingsDialog settings;
    if (!settings.Create()) {
        return 1;  // out of window or GDI resources: nothing to show
    }
    settings.Show(showCommand);
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(settings.hwnd(), &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    // Ended, not returned from: the file thread may be held by a share, and
    // waiting for it would keep the program running unseen.
    platform::EndProgram(static_cast<UINT>(message.wParam));
}
