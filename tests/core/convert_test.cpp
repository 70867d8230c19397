#include "platform/convert.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/errors.h"

namespace vt {
namespace {

const FormatSettings kDot{'.', ','};
const FormatSettings kComma{',', '.'};

struct IntRow {
    const char* name;
    const char* text;
    std::int32_t value;
};

class StrToIntValid : public ::testing::TestWithParam<IntRow> {};

TEST_P(StrToIntValid, ParsesValue)
{
    const IntRow& r = GetParam();
    EXPECT_EQ(StrToInt(r.text), r.value);
    EXPECT_EQ(StrToIntDef(r.text, 12345), r.value);
    std::int32_t v = 0;
    EXPECT_TRUE(TryStrToInt(r.text, v));
    EXPECT_EQ(v, r.value);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StrToIntValid,
    ::testing::Values(
        IntRow{"Zero", "0", 0}, IntRow{"Plain", "1466", 1466}, IntRow{"LeadingZeros", "007", 7},
        IntRow{"LeadingBlanks", "   42", 42}, IntRow{"Plus", "+7", 7}, IntRow{"Minus", "-7", -7},
        IntRow{"BlanksThenSign", "  -12", -12}, IntRow{"Hex40", "$40", 64},
        IntRow{"HexLower", "$ff", 255}, IntRow{"HexMixed", "$aB", 171},
        IntRow{"NegativeHex", "-$10", -16}, IntRow{"BlankHex", " $10", 16},
        IntRow{"HexMaxPositive", "$7FFFFFFF", 2147483647},
        IntRow{"HexHighBit", "$80000000", INT32_MIN}, IntRow{"HexAllBits", "$FFFFFFFF", -1},
        IntRow{"HexLongLeadingZeros", "$000000000010", 16}, IntRow{"Max", "2147483647", 2147483647},
        IntRow{"Min", "-2147483648", INT32_MIN}, IntRow{"PlusMax", "+2147483647", 2147483647}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadRow {
    const char* name;
    const char* text;
};

class StrToIntInvalid : public ::testing::TestWithParam<BadRow> {};

TEST_P(StrToIntInvalid, RaisesConvertError)
{
    const BadRow& r = GetParam();
    const std::string expected = std::string("'") + r.text + "' is not a valid integer value";
    try {
        StrToInt(r.text);
        FAIL() << "no error for '" << r.text << "'";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), expected);
    }
    EXPECT_EQ(StrToIntDef(r.text, -99), -99);
    std::int32_t v = 5;
    EXPECT_FALSE(TryStrToInt(r.text, v));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StrToIntInvalid,
    ::testing::Values(BadRow{"Empty", ""}, BadRow{"Blank", " "}, BadRow{"SignOnly", "-"},
                      BadRow{"PlusOnly", "+"}, BadRow{"TrailingBlank", "12 "},
                      BadRow{"InnerBlank", "1 2"}, BadRow{"BlankAfterSign", "- 5"},
                      BadRow{"DoubleSign", "+-5"}, BadRow{"Letters", "abc"},
                      BadRow{"TrailingLetter", "12a"}, BadRow{"Decimal", "1.5"},
                      BadRow{"AboveMax", "2147483648"}, BadRow{"BelowMin", "-2147483649"},
                      BadRow{"FarAboveMax", "99999999999999999999"}, BadRow{"DollarOnly", "$"},
                      BadRow{"NegativeDollarOnly", "-$"}, BadRow{"HexBadDigit", "$1G"},
                      BadRow{"HexSignInside", "$-1"}, BadRow{"HexAbove32Bits", "$100000000"},
                      BadRow{"HexTrailingBlank", "$10 "}),
    [](const auto& info) { return std::string(info.param.name); });

struct FloatRow {
    const char* name;
    const char* text;
    long double value;
};

class StrToFloatValid : public ::testing::TestWithParam<std::pair<FormatSettings, FloatRow>> {};

TEST_P(StrToFloatValid, ParsesValue)
{
    const auto& [fs, r] = GetParam();
    EXPECT_EQ(StrToFloat(r.text, fs), r.value) << r.text;
}

std::vector<std::pair<FormatSettings, FloatRow>> ValidFloats()
{
    std::vector<std::pair<FormatSettings, FloatRow>> rows;
    const FloatRow dot[] = {
        {"DotInteger", "3", 3.0L},
        {"DotFraction", "1.5", 1.5L},
        {"DotNegative", "-2.25", -2.25L},
        {"DotPlus", "+0.75", 0.75L},
        {"DotBlanksAround", "  1.5  ", 1.5L},
        {"DotNoIntegerPart", ".5", 0.5L},
        {"DotNoFraction", "5.", 5.0L},
        {"DotExponent", "1e3", 1000.0L},
        {"DotExponentCapital", "1.5E-2", 0.015L},
        {"DotExponentPlus", "2.5e+1", 25.0L},
        {"DotClock", "1466", 1466.0L},
        {"DotTiny", "1e-5000", 0.0L},
    };
    for (const auto& r : dot) rows.push_back({kDot, r});
    const FloatRow comma[] = {
        {"CommaFraction", "1,5", 1.5L},
        {"CommaNegativeExponent", "-0,25e1", -2.5L},
        {"CommaInteger", "40", 40.0L},
    };
    for (const auto& r : comma) rows.push_back({kComma, r});
    return rows;
}

INSTANTIATE_TEST_SUITE_P(Rows, StrToFloatValid, ::testing::ValuesIn(ValidFloats()),
                         [](const auto& info) { return std::string(info.param.second.name); });

class StrToFloatInvalid : public ::testing::TestWithParam<std::pair<FormatSettings, BadRow>> {};

TEST_P(StrToFloatInvalid, RaisesConvertError)
{
    const auto& [fs, r] = GetParam();
    const std::string expected =
        std::string("'") + r.text + "' is not a valid floating point value";
    try {
        StrToFloat(r.text, fs);
        FAIL() << "no error for '" << r.text << "'";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), expected);
    }
    long double v = 0;
    EXPECT_FALSE(TryStrToFloat(r.text, v, fs));
}

std::vector<std::pair<FormatSettings, BadRow>> InvalidFloats()
{
    std::vector<std::pair<FormatSettings, BadRow>> rows;
    const BadRow dot[] = {
        {"DotEmpty", ""},           {"DotBlank", " "},
        {"DotSeparatorOnly", "."},  {"DotCommaNotSeparator", "1,5"},
        {"DotGrouping", "1,000.5"}, {"DotTwoSeparators", "1.2.3"},
        {"DotLetters", "abc"},      {"DotExponentWithoutDigits", "1e"},
        {"DotExponentOnly", "e5"},  {"DotDoubleSign", "--1"},
        {"DotInnerBlank", "1 000"}, {"DotInfinity", "INF"},
        {"DotNan", "NAN"},          {"DotOverflow", "1e5000"},
        {"DotHex", "$10"},
    };
    for (const auto& r : dot) rows.push_back({kDot, r});
    const BadRow comma[] = {
        {"CommaDotNotSeparator", "1.5"},
        {"CommaGrouping", "1.000,5"},
    };
    for (const auto& r : comma) rows.push_back({kComma, r});
    return rows;
}

INSTANTIATE_TEST_SUITE_P(Rows, StrToFloatInvalid, ::testing::ValuesIn(InvalidFloats()),
                         [](const auto& info) { return std::string(info.param.second.name); });

}  // namespace
}  // namespace vt
