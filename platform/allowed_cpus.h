// What this process may run on: the logical processors its affinity allows
// (fewer than the machine has under taskset, a container's cpuset or a job
// object), and the processor architecture the system reports.
#pragma once

#include <string>

namespace vt {

// The logical processors this process may run on, at least 1 (Linux
// sched_getaffinity; Windows the process affinity mask of its group). When
// the system cannot say, the processors online.
int AllowedProcessors();

// The machine's architecture as the system names it: "x86_64", "aarch64"
// (uname's machine; on Windows the native processor architecture in the
// same words).
std::string MachineArchitecture();

}  // namespace vt
