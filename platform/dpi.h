// What a window needs to know of the dots per inch it is shown at. Windows
// 10 1607 and later tell each monitor's; earlier Windows know only the
// display's, and these answer with that.
#pragma once

#include <windows.h>

namespace platform {

// The window's DPI: its monitor's where Windows tells, else the display's.
int WindowDpi(HWND window);

// System metric `index` (SM_CXICON, ...) at `dpi`.
int MetricAt(int index, int dpi);

// The size of a window of these styles around a client area of `client` at
// `dpi`.
SIZE WindowSizeAround(SIZE client, DWORD style, DWORD exStyle, int dpi);

// A dialog scales itself and its controls when its DPI changes (Windows 10
// 1703 and later). A window that lays itself out at each DPI turns that off,
// so that nothing is scaled twice.
void KeepDialogScalingOff(HWND dialog);

}  // namespace platform
