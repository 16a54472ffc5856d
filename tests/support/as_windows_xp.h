// Whether this test exe runs as on Windows XP (--as-windows-xp): for the
// cases XP cannot have at all.
#pragma once

namespace support {

bool AsWindowsXp();

}  // namespace support
