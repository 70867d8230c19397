#include "platform/errors.h"

#include <cmath>
#include <cstring>

namespace vt {

namespace {
long double CheckResult(long double result)
{
    if (std::isnan(result)) throw EInvalidOp();
    if (std::isinf(result)) throw EOverflow();
    return result;
}
}  // namespace

long double Divide(long double numerator, long double denominator)
{
    if (std::isnan(numerator) || std::isnan(denominator)) throw EInvalidOp();
    if (denominator == 0.0L) {
        if (numerator == 0.0L) throw EInvalidOp();
        throw EZeroDivide();
    }
    return CheckResult(numerator / denominator);
}

long double Multiply(long double a, long double b)
{
    return CheckResult(a * b);
}

std::string ErrnoText(int code)
{
    return std::strerror(code);
}

}  // namespace vt
