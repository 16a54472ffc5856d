// tovrel.exe: opens the settings window and runs it until the user leaves.
#include <windows.h>
#include <commctrl.h>

#include "platform/message_loop.h"
#include "platform/process.h"
#include "platform/startup_phases.h"
#include "window/settings_dialog.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    platform::EndPhase("process start");
    platform::NarrowDllSearchPath();
    platform::KeepHardErrorBoxesAway();
    // The manifest asks for the common controls of version 6, whose window
    // classes Windows XP registers only once the library is loaded: without
    // this the dialog could not be made there.
    InitCommonControls();
    window::SettingsDialog settings;
    // Windows out of window or GDI resources: there is nothing to show, and
    // no raw error either.
    if (!settings.Create()) {
        return 1;
    }
    settings.Show(showCommand);
    platform::EndPhase("showing");
    platform::ReportPhases();
    return platform::RunMessageLoop(settings.hwnd());
}
