#include "platform/terminal.h"

#include <unistd.h>

namespace vt {

bool StandardErrorIsTerminal()
{
    return isatty(STDERR_FILENO) == 1;
}

}  // namespace vt
