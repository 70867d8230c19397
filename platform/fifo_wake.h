// A reader that opened a named pipe (FIFO) waits in the open until some
// program opens it for writing, and that may never happen. Whoever wants the
// reader to give up opens the pipe for writing and closes it again at once:
// the reader's open returns and its first read finds the end.
#pragma once

#include <string>

namespace vt {

// Wakes a reader waiting to open `path`, where `path` is a named pipe and a
// reader is waiting; does nothing otherwise (a file, nothing there, no
// reader, or a system without such pipes), and never waits itself.
void WakeFifoReader(const std::string& path);

}  // namespace vt
