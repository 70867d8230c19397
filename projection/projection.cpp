#include "projection/projection.h"

#include <cmath>

#include "platform/number_format.h"

namespace vt {

long double Power(long double Base, long double Exponent)
{
    if (Exponent == 0.0L) return 1.0L;
    return std::exp(Exponent * std::log(Base));
}

std::string ProjectedText(double value, double factor, int purchaseYear, int targetYear,
                          const FormatSettings& fs)
{
    if (targetYear < purchaseYear) {
        const long double r = value / Power(factor, purchaseYear - targetYear);
        return FormatFixed(r, 8, 3, fs);
    }
    const long double r = Power(factor, targetYear - purchaseYear) * value;
    return FormatFixed(r, 8, 1, fs);
}

}  // namespace vt
