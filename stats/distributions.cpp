#include "stats/distributions.h"

#include <cmath>
#include <limits>

namespace vt::stats {
namespace {

// The continued fraction of the regularised incomplete beta function, by
// the modified Lentz method; converges quickly for x < (a + 1) / (a + b + 2).
long double BetaFraction(long double a, long double b, long double x)
{
    const long double tiny = 1e-300L;
    long double c = 1, d = 1 - (a + b) * x / (a + 1);
    if (std::fabs(d) < tiny) d = tiny;
    d = 1 / d;
    long double h = d;
    for (int m = 1; m <= 400; ++m) {
        for (int half = 0; half < 2; ++half) {
            const long double numerator =
                half == 0 ? m * (b - m) * x / ((a + 2 * m - 1) * (a + 2 * m))
                          : -(a + m) * (a + b + m) * x / ((a + 2 * m) * (a + 2 * m + 1));
            d = 1 + numerator * d;
            if (std::fabs(d) < tiny) d = tiny;
            c = 1 + numerator / c;
            if (std::fabs(c) < tiny) c = tiny;
            d = 1 / d;
            h *= d * c;
            if (half == 1 && std::fabs(d * c - 1) < 1e-16L) return h;
        }
    }
    return h;
}

// I_x(a, b), the regularised incomplete beta function.
long double IncompleteBeta(long double a, long double b, long double x)
{
    if (x <= 0) return 0;
    if (x >= 1) return 1;
    const long double front = std::exp(std::lgamma(a + b) - std::lgamma(a) - std::lgamma(b) +
                                       a * std::log(x) + b * std::log1p(-x));
    if (x < (a + 1) / (a + b + 2)) return front * BetaFraction(a, b, x) / a;
    return 1 - front * BetaFraction(b, a, 1 - x) / b;
}

}  // namespace

double StudentTwoSided(double t, double degrees)
{
    if (std::isnan(t) || !(degrees > 0)) return 1;
    if (std::isinf(t)) return 0;
    const long double v = degrees;
    const long double tt = static_cast<long double>(t) * t;
    // P(|T| >= t) = I_{v / (v + t^2)}(v / 2, 1 / 2).
    return static_cast<double>(IncompleteBeta(v / 2, 0.5L, v / (v + tt)));
}

double SignTestTwoSided(double k, double n)
{
    const long double fewer = std::floor(std::min<long double>(k, n - k));
    if (fewer < 0) return 0;
    if (2 * fewer >= n) return 1;
    // P(X <= j) for X binomial (n, 1/2) is I_{1/2}(n - j, j + 1).
    const long double tail = IncompleteBeta(n - fewer, fewer + 1, 0.5L);
    return static_cast<double>(std::min(1.0L, 2 * tail));
}

}  // namespace vt::stats
