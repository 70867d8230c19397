// Pinning a thread to one logical CPU, so that a worker of the every-core
// test runs on the CPU it measures and nowhere else.
#pragma once

namespace vt {

// Binds the calling thread to logical CPU `cpu` (as TCpuLayout numbers it:
// on Windows 64 x the processor group + the bit in its mask). Raises
// Exception naming the CPU when the system refuses.
void PinThisThread(int cpu);

}  // namespace vt
