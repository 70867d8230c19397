// vesktest compare: results logs side by side.
#pragma once

namespace vt {

// argv[1] is "compare". Returns the exit status.
int RunCompare(int argc, char** argv);

}  // namespace vt
