#pragma once

namespace platform {

// Whether the program runs as LocalSystem, as services and deployment agents
// do: its HKEY_CURRENT_USER is the machine account's, not a user's. False
// also when the process's own token cannot be read.
bool RunsAsLocalSystem();

}  // namespace platform
