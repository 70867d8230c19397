#include "platform/display.h"

namespace vt {

// The desktop is always there: the toolkit opens its own platform.
TPlatformChoice ChoosePlatforms(const TDisplayVariables&)
{
    return {};
}

// No X display is ever asked for here.
TDisplayAnswer ProbeXDisplay(const std::string&, int)
{
    return TDisplayAnswer::Unknown;
}

}  // namespace vt
