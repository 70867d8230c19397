// Process numbers: this process's, and whether another may still run. The
// disk profile names its test file after its process, so that a later run
// tells a file left by a killed run from one another run is using.
#pragma once

#include <cstdint>

namespace vt {

std::int64_t CurrentProcessId();

// False only when no process with number `pid` exists; a process this one
// may not look at counts as running.
bool ProcessMayBeRunning(std::int64_t pid);

}  // namespace vt
