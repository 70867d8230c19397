// vesktest batch: the tests without the window.
#pragma once

namespace vt {

// argv[1] is "batch". Returns the exit status.
int RunBatch(int argc, char** argv);

}  // namespace vt
