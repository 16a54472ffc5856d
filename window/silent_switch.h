// The settings window's switch without the window, for administrators'
// scripts: a logon script, a deployment in the user's context, a detection
// script that reads the exit code.
#pragma once

#include "window/command_line.h"

namespace window {

// Runs `command` (not Command::Window) with the window's own rules and texts,
// and answers the program's exit code:
//
//   code  /enable          /disable          /status
//   0     on afterwards    off afterwards    on          (and /?)
//   1     -                -                 off
//   2     not switched on  not switched off  -
//   3     cannot tell      cannot tell       cannot tell
//   4     running as LocalSystem: nothing read or changed
//   87    command line not understood
//
// stdout gets "on", "off" or "unknown", the state afterwards (/? the usage).
// stderr gets, for 2 and above only, what the window would say and the line of
// each failed step (87: the usage).
int RunSilentSwitch(Command command);

}  // namespace window
