// The handlers' rule for failures: a step that fails is passed over and the
// next step runs; nothing of a failure ever reaches the user, and the switch
// judges its outcome afterwards by looking at the files. A condition that
// cannot be evaluated counts as met: the presence and same-file checks answer
// in three values, and each use spells out which way "cannot tell" goes, so
// `!= Presence::Off` runs the step it guards.
#pragma once

#include <windows.h>

#include <string>

namespace placement {

// Passes over a failed step: when `error` is not ERROR_SUCCESS, one line
// "tovrel: <step>: error <n>" goes to a debugger through OutputDebugStringW.
// Nothing when error is ERROR_SUCCESS.
void PassOver(const wchar_t* step, DWORD error);

// From now on each such line is also added to `lines`, ending in CRLF, for a
// run without the window to write to stderr; null stops it.
void KeepPassedOver(std::wstring* lines);

}  // namespace placement
