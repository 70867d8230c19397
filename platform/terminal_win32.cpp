#include <io.h>

#include <cstdio>

#include "platform/terminal.h"

namespace vt {

bool StandardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

}  // namespace vt
