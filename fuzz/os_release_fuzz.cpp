// The operating system's name from os-release text on arbitrary bytes: no
// crash, and the name is never longer than the text it came from.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/machine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (vt::OsReleaseName(text).size() > size) std::abort();
    return 0;
}
