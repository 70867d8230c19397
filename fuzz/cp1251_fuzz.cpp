// The Windows-1251 codec on arbitrary bytes: decoding always gives valid
// UTF-8 that encodes back to the same bytes (the one unassigned byte 0x98
// aside), and encoding arbitrary bytes never crashes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/cp1251.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string utf8 = vt::Cp1251ToUtf8(bytes);
    const std::string back = vt::Utf8ToCp1251(utf8);
    if (back.size() != bytes.size()) std::abort();
    for (std::size_t i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b != 0x98 && back[i] != bytes[i]) std::abort();
    }
    (void)vt::Utf8ToCp1251(bytes);
    return 0;
}
