// The parts of the user folders that every operating system shares.
#include <cstdlib>

#include "platform/user_folders.h"

namespace vt {

std::optional<std::string> EnvironmentValue(const char* name)
{
    const char* value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

}  // namespace vt
