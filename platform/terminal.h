// Whether a standard stream is a terminal, so that progress is drawn only
// for a person watching, never into a file or a pipe (isatty; on Windows
// _isatty).
#pragma once

namespace vt {

bool StandardErrorIsTerminal();

}  // namespace vt
