// The settings window's switch without the window, for administrators'
// scripts, which read the exit code.
#pragma once

#include "window/command_line.h"

namespace window {

// Runs `command` (not Command::Window) with the window's own rules and texts,
// and answers the exit code: 0 on after /enable, off after /disable, on for
// /status (and /?); 1 off for /status; 2 not switched; 3 cannot tell; 4 run as
// LocalSystem, nothing read or changed; 87 not understood. stdout gets "on",
// "off" or "unknown", the state afterwards (/? the usage); stderr, for 2 and
// above, what the window would say and the line of each failed step.
int RunSilentSwitch(Command command);

}  // namespace window
