// The command line: the settings window, or a switch without it for
// administrators' scripts, which read the exit code.
#pragma once

namespace window {

// The switches first, in this order: the exit codes are looked up by it.
enum class Command { Enable, Disable, Status, Usage, NotUnderstood, Window };

// Reads GetCommandLineW's line: the program's name ends where CreateProcess
// ends it, then exactly one argument, "/" or "-" and enable, disable, status
// or "?", in any ASCII case; Window when none.
Command ReadCommand(const wchar_t* commandLine);

// Runs `command` (not Window) with the window's rules and texts; answers the
// exit code. stdout: the state after; stderr, from 2 on: the window's words.
int RunSilentSwitch(Command command);

}  // namespace window
