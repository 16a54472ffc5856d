// The rule for failures: a step that fails is passed over and the next runs;
// no failure reaches the user, and the switch judges its outcome by the files
// afterwards. Each three-valued check spells out which way "cannot tell" goes.
#pragma once

#include <windows.h>

#include <string>

namespace placement {

// Unless `error` is ERROR_SUCCESS, one line "tovrel: <step>: error <n>" goes
// to a debugger.
void PassOver(const wchar_t* step, DWORD error);

// Each such line also goes to `lines` (for stderr), ending in CRLF; null stops it.
void KeepPassedOver(std::wstring* lines);

}  // namespace placement
