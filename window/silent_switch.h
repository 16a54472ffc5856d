#pragma once

#include "window/command_line.h"

namespace window {

// Runs `command` (not Command::Window) with the window's rules and texts and
// answers the exit code (kUsage lists them; 0 also for /?). stdout gets the
// state afterwards; stderr, for 2 and above, what the window would say and
// the line of each failed step.
int RunSilentSwitch(Command command);

}  // namespace window
