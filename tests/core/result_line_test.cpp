#include "results/result_line.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/cp1251.h"

namespace vt {
namespace {

const FormatSettings kDot{'.', ','};
const FormatSettings kComma{',', '.'};

const std::string kBlankText(22, ' ');
const std::string kBlankLabel(8, ' ');

TEST(ResultLine, AllZeroScores)
{
    const TScores zero;
    EXPECT_EQ(
        FormatResultLine(zero, "", "", kDot),
        kBlankText + "/" + kBlankLabel + "|  0.00| 0.000|  0.00|   0/   0|   0.0|  0.00|  0.0");
    EXPECT_EQ(
        FormatResultLine(zero, "", "", kComma),
        kBlankText + "/" + kBlankLabel + "|  0,00| 0,000|  0,00|   0/   0|   0,0|  0,00|  0,0");
    EXPECT_EQ(FormatResultLine(zero, "", "", kDot).size(), 82u);
}

TEST(ResultLine, TypicalScores)
{
    TScores s;
    s.ListCreateTime = 0.1234;
    s.SortTime = 0.0456;
    s.SortOutputTime = 0.789;
    s.FillMemSpeed = 1234.5;
    s.ReadMemSpeed = 987.4;
    s.CyclesPerSec = 123.45;
    s.DrawTime = 5.675;
    s.HddSpeed = 12.25;
    EXPECT_EQ(FormatResultLine(s, "Intel1466/", "40.0gb/", kDot),
              "            Intel1466// 40.0gb/|  0.12| 0.046|  0.79|1235/ 987| 123.5|  5.67| 12.3");
}

TEST(ResultLine, CutsTextsToTheirWidths)
{
    const TScores zero;
    const std::string tail = "|  0.00| 0.000|  0.00|   0/   0|   0.0|  0.00|  0.0";
    struct Row {
        const char* name;
        std::string description;
        std::string label;
        std::string head;
    };
    const Row rows[] = {
        {"Description23", "ABCDEFGHIJKLMNOPQRSTUVW", "", "ABCDEFGHIJKLMNOPQRSTUV/" + kBlankLabel},
        {"Description22", "ABCDEFGHIJKLMNOPQRSTUV", "", "ABCDEFGHIJKLMNOPQRSTUV/" + kBlankLabel},
        {"DescriptionShort", "Intel1466/", "", "            Intel1466//" + kBlankLabel},
        {"Label9", "", "123456789", kBlankText + "/12345678"},
        {"Label8", "", "40.0gb/x", kBlankText + "/40.0gb/x"},
        {"LabelShort", "", "40gb", kBlankText + "/    40gb"},
        // Windows-1251 letters are one byte each.
        {"CyrillicDescription", Ansi("абвгдеёжзийклмнопрстуфх"), Ansi("Винчестер"),
         Ansi("абвгдеёжзийклмнопрстуф/Винчесте")},
    };
    for (const Row& r : rows) {
        const std::string line = FormatResultLine(zero, r.description, r.label, kDot);
        EXPECT_EQ(line, r.head + tail) << r.name;
        EXPECT_EQ(line.size(), 82u) << r.name;
    }
}

TEST(ResultLine, FieldsFallUnderTheHeaderColumns)
{
    // Scores from zero to the widest that still fit their fields.
    TScores widest;
    widest.ListCreateTime = 99.99;
    widest.SortTime = 99.999;
    widest.SortOutputTime = 99.99;
    widest.FillMemSpeed = 9999;
    widest.ReadMemSpeed = 9999;
    widest.CyclesPerSec = 9999.9;
    widest.DrawTime = 999.99;
    widest.HddSpeed = 999.9;
    TScores small;
    small.ListCreateTime = 1;
    small.HddSpeed = 3.25;
    for (const TScores& s : {TScores{}, small, widest}) {
        for (const FormatSettings& fs : {kDot, kComma}) {
            const std::string line =
                FormatResultLine(s, "ABCDEFGHIJKLMNOPQRSTUVWXYZ", "12345678", fs);
            ASSERT_EQ(line.size(), 82u) << line;
            EXPECT_EQ(line[22], '/') << line;
            EXPECT_EQ(line[57], '/') << line;
            std::string bars;
            for (std::size_t i = 0; i < line.size(); ++i)
                if (line[i] == '|') bars += std::to_string(i) + " ";
            EXPECT_EQ(bars, "31 38 45 52 62 69 76 ") << line;
        }
    }
    EXPECT_EQ(FormatResultLine(widest, "", "", kDot).substr(31),
              "| 99.99|99.999| 99.99|9999/9999|9999.9|999.99|999.9");
}

TEST(ResultLine, WideScoreTakesMoreRoomAndShiftsTheRest)
{
    TScores s;
    s.HddSpeed = 1000;
    std::string line = FormatResultLine(s, "", "", kDot);
    EXPECT_EQ(line.size(), 83u);
    EXPECT_EQ(line.substr(76), "|1000.0");

    s = TScores{};
    s.FillMemSpeed = 12345;
    s.CyclesPerSec = 100000;
    line = FormatResultLine(s, "", "", kDot);
    EXPECT_EQ(line.substr(52), "|12345/   0|100000.0|  0.00|  0.0");
}

}  // namespace
}  // namespace vt
