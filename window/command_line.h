// What the command line asks for: the settings window, or a switch without
// it for administrators' scripts ("tovrel /status").
#pragma once

namespace window {

// The three switches come first, in this order: the exit codes are looked up
// by it.
enum class Command { Enable, Disable, Status, Usage, NotUnderstood, Window };

// Reads a command line as GetCommandLineW gives it. The program's name ends
// where CreateProcess ends it: a quoted name at its closing quote, else at the
// first space or tab. Window when only spaces and tabs follow it. Otherwise
// the rest is split and unquoted as the C runtime does it, and exactly one
// argument must follow: "/" or "-" and enable, disable, status or "?", in any
// ASCII case; anything else is NotUnderstood.
Command ReadCommand(const wchar_t* commandLine);

}  // namespace window
