#include "platform/random.h"

#include <ctime>

namespace vt {

std::uint32_t RandSeed = 0;

std::uint32_t Random(std::uint32_t n)
{
    RandSeed = RandSeed * 134775813u + 1u;
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(n) * RandSeed) >> 32);
}

void Randomize()
{
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    const auto msOfDay = (static_cast<std::uint64_t>(ts.tv_sec) % 86400u) * 1000u +
                         static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
    RandSeed = static_cast<std::uint32_t>(msOfDay);
}

}  // namespace vt
