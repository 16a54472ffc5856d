// Windows 10 1607 and later tell each monitor's DPI; earlier Windows know only
// the display's, and these answer so.
#pragma once

#include <windows.h>

namespace platform {

int WindowDpi(HWND window);

int MetricAt(int index, int dpi);

SIZE WindowSizeAround(SIZE client, DWORD style, DWORD exStyle, int dpi);

// Windows 10 1703 and later scale a dialog and its controls at a new DPI; a
// dialog that lays itself out turns that off, lest it be scaled twice.
void KeepDialogScalingOff(HWND dialog);

}  // namespace platform
