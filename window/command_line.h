// What the command line asks for: the settings window, or a switch without
// it for administrators' scripts ("tovrel /status").
#pragma once

namespace window {

// The switches first, in this order: the exit codes are looked up by it.
enum class Command { Enable, Disable, Status, Usage, NotUnderstood, Window };

// Reads GetCommandLineW's line. The program's name ends where CreateProcess
// ends it; Window when only blanks follow. Else exactly one argument, unquoted
// as the C runtime does it: "/" or "-" and enable, disable, status or "?", in
// any ASCII case; anything else is NotUnderstood.
Command ReadCommand(const wchar_t* commandLine);

}  // namespace window
