#include "platform/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "platform/errors.h"

namespace vt {
namespace {

const FormatSettings kDot{'.', ','};
const FormatSettings kComma{',', '.'};

struct GeneralRow {
    const char* name;
    long double value;
    const char* dot;    // with '.' as decimal separator
    const char* comma;  // with ','
};

class FloatToStrTable : public ::testing::TestWithParam<GeneralRow> {};

TEST_P(FloatToStrTable, WritesGeneralFormat)
{
    const GeneralRow& r = GetParam();
    EXPECT_EQ(FloatToStr(r.value, kDot), r.dot);
    EXPECT_EQ(FloatToStr(r.value, kComma), r.comma);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FloatToStrTable,
    ::testing::Values(
        GeneralRow{"Zero", 0.0L, "0", "0"}, GeneralRow{"NegativeZero", -0.0L, "0", "0"},
        GeneralRow{"One", 1.0L, "1", "1"}, GeneralRow{"Clock", 1466.0L, "1466", "1466"},
        GeneralRow{"Fraction", 1.562, "1.562", "1,562"}, GeneralRow{"Half", 2.5, "2.5", "2,5"},
        GeneralRow{"Negative", -2.5, "-2.5", "-2,5"},
        GeneralRow{"NoTrailingZeros", 100.25, "100.25", "100,25"},
        GeneralRow{"TenthAsDouble", 0.1, "0.1", "0,1"},
        GeneralRow{"SumOfDoubles", 0.1 + 0.2, "0.3", "0,3"},
        GeneralRow{"OneThird", 1.0L / 3, "0.333333333333333", "0,333333333333333"},
        GeneralRow{"TwoThirdsRoundsUp", 2.0L / 3, "0.666666666666667", "0,666666666666667"},
        GeneralRow{"FixedLowerBound", 0.0001, "0.0001", "0,0001"},
        GeneralRow{"FixedLowerBoundLong", 0.0001L, "0.0001", "0,0001"},
        GeneralRow{"BelowLowerBound", 0.00009999, "9.999E-5", "9,999E-5"},
        GeneralRow{"NegativeBelowLowerBound", -0.00001, "-1E-5", "-1E-5"},
        GeneralRow{"Tiny", 1e-10, "1E-10", "1E-10"},
        GeneralRow{"FifteenDigitsFixed", 999999999999999.0L, "999999999999999", "999999999999999"},
        GeneralRow{"TenToFifteen", 1e15, "1E15", "1E15"},
        GeneralRow{"RoundsUpToTenToFifteen", 999999999999999.9L, "1E15", "1E15"},
        GeneralRow{"ScientificMantissa", 1.5e15, "1.5E15", "1,5E15"},
        GeneralRow{"FifteenSignificant", 123456789012345678.0L, "1.23456789012346E17",
                   "1,23456789012346E17"},
        GeneralRow{"FifteenSignificantFixed", 1234.56789012345678L, "1234.56789012346",
                   "1234,56789012346"},
        GeneralRow{"Big", 1e300, "1E300", "1E300"},
        GeneralRow{"Infinity", std::numeric_limits<long double>::infinity(), "INF", "INF"},
        GeneralRow{"NegInfinity", -std::numeric_limits<long double>::infinity(), "-INF", "-INF"},
        GeneralRow{"NotANumber", std::numeric_limits<long double>::quiet_NaN(), "NAN", "NAN"}),
    [](const auto& info) { return std::string(info.param.name); });

struct FixedRow {
    const char* name;
    long double value;
    int width;
    int decimals;
    const char* fixed;        // "%W.Df" with '.', ','
    const char* number;       // "%W.Dn" with '.', ','
    const char* numberComma;  // "%W.Dn" with ',', '.'
};

class FixedTable : public ::testing::TestWithParam<FixedRow> {};

TEST_P(FixedTable, WritesFixedAndNumberFormats)
{
    const FixedRow& r = GetParam();
    EXPECT_EQ(FormatFixed(r.value, r.width, r.decimals, kDot), r.fixed);
    EXPECT_EQ(FormatNumber(r.value, r.width, r.decimals, kDot), r.number);
    EXPECT_EQ(FormatNumber(r.value, r.width, r.decimals, kComma), r.numberComma);
    // The fixed format never groups, so it differs from the '.' one only in
    // the separator.
    std::string fixedComma = r.fixed;
    for (char& c : fixedComma)
        if (c == '.') c = ',';
    EXPECT_EQ(FormatFixed(r.value, r.width, r.decimals, kComma), fixedComma);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FixedTable,
    ::testing::Values(
        // Halves go away from zero on the exact binary value.
        FixedRow{"HalfUpOneDecimal", 1.25, 0, 1, "1.3", "1.3", "1,3"},
        FixedRow{"HalfUpTwoDecimals", 0.125, 0, 2, "0.13", "0.13", "0,13"},
        FixedRow{"ExactValueBelowHalf", 2.675, 0, 2, "2.67", "2.67", "2,67"},
        FixedRow{"ExactValueAboveHalf", 1.35, 0, 1, "1.4", "1.4", "1,4"},
        FixedRow{"ExactValueBelowHalfNine", 9.995, 0, 2, "9.99", "9.99", "9,99"},
        FixedRow{"HalfToInteger", 0.5, 0, 0, "1", "1", "1"},
        FixedRow{"OddHalfToInteger", 2.5, 0, 0, "3", "3", "3"},
        FixedRow{"NegativeHalf", -2.5, 0, 0, "-3", "-3", "-3"},
        FixedRow{"NegativeHalfDecimal", -1.25, 0, 1, "-1.3", "-1.3", "-1,3"},
        FixedRow{"CarryIntoNewDigit", 999.95, 0, 1, "1000.0", "1,000.0", "1.000,0"},
        FixedRow{"NegativeRoundsToZero", -0.001, 0, 2, "0.00", "0.00", "0,00"},
        // Widths pad on the left and never clip.
        FixedRow{"ZeroWidthSix", 0.0L, 6, 2, "  0.00", "  0.00", "  0,00"},
        FixedRow{"ZeroNoDecimals", 0.0L, 4, 0, "   0", "   0", "   0"},
        FixedRow{"Pi", 3.14159, 6, 3, " 3.142", " 3.142", " 3,142"},
        FixedRow{"NegativeWidth", -1.5, 6, 2, " -1.50", " -1.50", " -1,50"},
        FixedRow{"WiderThanField", 12345.678, 6, 2, "12345.68", "12,345.68", "12.345,68"},
        FixedRow{"FillsField", 9999.0L, 4, 0, "9999", "9,999", "9.999"},
        // Grouping.
        FixedRow{"Grouped1600", 1600.0L, 0, 2, "1600.00", "1,600.00", "1.600,00"},
        FixedRow{"Grouped1024", 1024.0L, 0, 1, "1024.0", "1,024.0", "1.024,0"},
        FixedRow{"NoGroupBelowThousand", 999.0L, 0, 2, "999.00", "999.00", "999,00"},
        FixedRow{"GroupedMillions", 1234567.891, 0, 2, "1234567.89", "1,234,567.89",
                 "1.234.567,89"},
        FixedRow{"GroupedNegative", -1234.5, 0, 1, "-1234.5", "-1,234.5", "-1.234,5"},
        FixedRow{"GroupedSixDigits", 100000.0L, 0, 0, "100000", "100,000", "100.000"},
        FixedRow{"GroupedWidth", 1600.0L, 10, 2, "   1600.00", "  1,600.00", "  1.600,00"},
        FixedRow{"Large", 1e17, 0, 0, "100000000000000000", "100,000,000,000,000,000",
                 "100.000.000.000.000.000"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FormatFixed, WritesHugeValuesInScientificNotation)
{
    EXPECT_EQ(FormatFixed(1e20, 0, 2, kDot), "1E20");
    EXPECT_EQ(FormatFixed(-2.5e25L, 8, 2, kComma), " -2,5E25");
}

struct RoundRow {
    const char* name;
    long double value;
    std::int64_t expected;
};

class RoundHalfEvenTable : public ::testing::TestWithParam<RoundRow> {};

TEST_P(RoundHalfEvenTable, RoundsHalvesToEven)
{
    EXPECT_EQ(RoundHalfEven(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RoundHalfEvenTable,
    ::testing::Values(
        RoundRow{"Zero", 0.0L, 0}, RoundRow{"EvenHalfDown", 1466.5L, 1466},
        RoundRow{"OddHalfUp", 1467.5L, 1468}, RoundRow{"HalfOfOne", 0.5L, 0},
        RoundRow{"OneAndHalf", 1.5L, 2}, RoundRow{"TwoAndHalf", 2.5L, 2},
        RoundRow{"BelowHalf", 1466.4999L, 1466}, RoundRow{"AboveHalf", 1466.5001L, 1467},
        RoundRow{"NegativeHalfOfOne", -0.5L, 0}, RoundRow{"NegativeOneAndHalf", -1.5L, -2},
        RoundRow{"NegativeTwoAndHalf", -2.5L, -2}, RoundRow{"NegativeEvenHalf", -1466.5L, -1466},
        RoundRow{"NegativeOddHalf", -1467.5L, -1468},
        RoundRow{"NegativeAboveHalf", -1466.6L, -1467}, RoundRow{"MemoryMiB", 256.495L, 256},
        RoundRow{"Int64Min", -9223372036854775808.0L, INT64_MIN},
        RoundRow{"LargeOdd", 4611686018427387903.5L, 4611686018427387904}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RoundHalfEven, RaisesInvalidOpOutOfRange)
{
    const long double bad[] = {std::numeric_limits<long double>::quiet_NaN(),
                               std::numeric_limits<long double>::infinity(),
                               -std::numeric_limits<long double>::infinity(),
                               9223372036854775808.0L,
                               -9223372036854775810.0L,
                               1e19L,
                               -1e19L};
    for (long double v : bad) {
        EXPECT_THROW(RoundHalfEven(v), EInvalidOp) << static_cast<double>(v);
    }
}

TEST(IntegerText, WritesDecimalWithoutGroupingAndPads)
{
    EXPECT_EQ(IntToStr(0), "0");
    EXPECT_EQ(IntToStr(-2147483648LL), "-2147483648");
    EXPECT_EQ(IntToStr(1234567), "1234567");
    EXPECT_EQ(PadLeft("ab", 5), "   ab");
    EXPECT_EQ(PadLeft("abcdef", 3), "abcdef");
    EXPECT_EQ(PadLeft("", 2), "  ");
}

}  // namespace
}  // namespace vt
