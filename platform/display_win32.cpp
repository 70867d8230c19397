#include "platform/display.h"

namespace vt {

// The desktop is always there: the toolkit opens its own platform.
TPlatformChoice ChoosePlatforms(const TDisplayVariables&)
{
    return {};
}

}  // namespace vt
