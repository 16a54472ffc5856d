#pragma once

namespace window {

// The switches first, in this order: the exit codes are looked up by it.
enum class Command { Enable, Disable, Status, Usage, NotUnderstood, Window };

// Reads GetCommandLineW's line: the program's name ends where CreateProcess
// ends it, then exactly one argument, "/" or "-" and enable, disable, status
// or "?", in any ASCII case; Window when none.
Command ReadCommand(const wchar_t* commandLine);

}  // namespace window
