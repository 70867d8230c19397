#include "platform/fifo_wake.h"

namespace vt {

// Named pipes are not files here: a path never names one that a reader
// could wait on.
void WakeFifoReader(const std::string&) {}

}  // namespace vt
