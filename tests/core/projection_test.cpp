#include "projection/projection.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vt {
namespace {

const FormatSettings kPoint{'.', ','};
const FormatSettings kComma{',', ' '};

TEST(Power, ZeroExponentIsExactlyOneAndOthersAreExtendedPrecise)
{
    for (long double base : {1.47L, 1.995L, 1.6555L, 0.5L, 1.0L}) EXPECT_EQ(Power(base, 0), 1.0L);
    EXPECT_NEAR(static_cast<double>(Power(1.47L, 1) - 1.47L), 0.0, 1e-17);
    EXPECT_NEAR(static_cast<double>(Power(2.0L, 10) - 1024.0L), 0.0, 1e-14);
    EXPECT_NEAR(static_cast<double>(Power(1.995L, 68) / std::pow(1.995L, 68.0L) - 1), 0.0, 1e-16);
}

struct ProjectionRow {
    const char* name;
    double value;
    double factor;
    int purchase;
    int target;
    FormatSettings fs;
    const char* text;
};

class ProjectedTextTest : public ::testing::TestWithParam<ProjectionRow> {};

TEST_P(ProjectedTextTest, Text)
{
    const auto& r = GetParam();
    EXPECT_EQ(ProjectedText(r.value, r.factor, r.purchase, r.target, r.fs), r.text);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ProjectedTextTest,
    ::testing::Values(
        ProjectionRow{"EqualYearsOneDecimal", 1466, kCpuGrowth, 2003, 2003, kPoint, "  1466.0"},
        ProjectionRow{"EarlierTargetThreeDecimals", 40, kDiskGrowth, 2003, 2002, kPoint,
                      "  20.050"},
        ProjectionRow{"EightCharactersNoBlank", 120.5, kDiskGrowth, 2003, 2013, kPoint, "120341.7"},
        ProjectionRow{"WiderIsNotCut", 40, kDiskGrowth, 2003, 2023, kPoint, "39894956.1"},
        ProjectionRow{"CommaLocale", 1466, kCpuGrowth, 2003, 2004, kComma, "  2155,0"},
        ProjectionRow{"CommaLocaleQuotient", 256, kMemoryGrowth, 2003, 2002, kComma, " 154,636"},
        ProjectionRow{"ZeroValue", 0, kMemoryGrowth, 2003, 2050, kPoint, "     0.0"},
        ProjectionRow{"NegativeValue", -40, kDiskGrowth, 2003, 2004, kPoint, "   -79.8"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vt
