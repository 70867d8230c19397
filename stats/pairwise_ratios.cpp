#include "stats/pairwise_ratios.h"

#include <algorithm>
#include <bit>

namespace vt::stats {
namespace {

// Maps doubles to unsigned integers in the same order, so that a bisection
// over the integers visits every double between two bounds.
std::uint64_t OrderKey(double value)
{
    const auto bits = std::bit_cast<std::uint64_t>(value);
    return bits >> 63 ? ~bits : bits | (std::uint64_t{1} << 63);
}

double FromOrderKey(std::uint64_t key)
{
    return std::bit_cast<double>(key >> 63 ? key & ~(std::uint64_t{1} << 63) : ~key);
}

// The first index from `from` on where `holds` fails, `holds` holding on a
// prefix of `values`. Steps of doubling length from `from`, so that a walk
// through targets that only move forward costs the logarithm of each step's
// distance: O(m + n) for samples of like size, O(m log(n / m)) for unlike.
template <class Predicate>
std::size_t Advance(std::span<const double> values, std::size_t from, Predicate holds)
{
    std::size_t passed = from;  // every index before it holds
    std::size_t probe = from;
    for (std::size_t step = 1; probe < values.size() && holds(values[probe]); step *= 2) {
        passed = probe + 1;
        probe = from + step;
    }
    probe = std::min(probe, values.size());
    return std::partition_point(values.begin() + passed, values.begin() + probe, holds) -
           values.begin();
}

// How many ratios x_i / y_j are at most `t`, walking the smaller sample.
std::uint64_t CountAtMost(std::span<const double> x, std::span<const double> y, double t)
{
    std::uint64_t count = 0;
    std::size_t at = 0;
    if (x.size() <= y.size()) {
        // x_i / y_j falls as y_j rises: the y_j giving ratios above t form a
        // prefix of y that grows with x_i.
        for (double xi : x) {
            at = Advance(y, at, [&](double yj) { return xi / yj > t; });
            count += y.size() - at;
        }
    } else {
        for (double yj : y) {
            at = Advance(x, at, [&](double xi) { return xi / yj <= t; });
            count += at;
        }
    }
    return count;
}

}  // namespace

double KthSmallestRatio(std::span<const double> x, std::span<const double> y, std::uint64_t k)
{
    // The smallest double t with at least k ratios at most t is a ratio
    // itself: the count only rises at one.
    std::uint64_t low = OrderKey(x.front() / y.back());
    std::uint64_t high = OrderKey(x.back() / y.front());
    while (low < high) {
        const std::uint64_t middle = low + (high - low) / 2;
        if (CountAtMost(x, y, FromOrderKey(middle)) >= k)
            high = middle;
        else
            low = middle + 1;
    }
    return FromOrderKey(low);
}

}  // namespace vt::stats
