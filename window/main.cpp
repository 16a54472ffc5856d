// tovrel.exe: opens the settings window and runs it until the user leaves.
#include <windows.h>

#include <exception>

#include "platform/process_setup.h"
#include "platform/startup_phases.h"
#include "window/settings_window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    platform::EndPhase("process start");
    platform::NarrowDllSearchPath();
    platform::KeepHardErrorBoxesAway();
    try {
        window::SettingsWindow settings;
        platform::ReportPhases();
        settings.form().RunEventLoop();
    } catch (const std::exception&) {
        // The window could not be made (Windows out of window or GDI
        // resources): there is nothing to show, and no raw error either.
        return 1;
    }
    return 0;
}
