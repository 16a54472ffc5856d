// The dots per inch a window is shown at. Windows 10 1607 and later tell each
// monitor's; earlier Windows know only the display's, and these answer so.
#pragma once

#include <windows.h>

namespace platform {

int WindowDpi(HWND window);

// System metric `index` (SM_CXICON, ...) at `dpi`.
int MetricAt(int index, int dpi);

// The size of a window of these styles around a client area of `client`.
SIZE WindowSizeAround(SIZE client, DWORD style, DWORD exStyle, int dpi);

// Windows 10 1703 and later scale a dialog and its controls at a new DPI. A
// dialog that lays itself out at each DPI turns that off, lest it be scaled
// twice.
void KeepDialogScalingOff(HWND dialog);

}  // namespace platform
