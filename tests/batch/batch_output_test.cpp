// Each output format against the window's result line for the same scores:
// the line is the window's, and the scores read back from the CSV row and the
// JSON object give that same line, under a "." and a "," locale.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <charconv>

#include "batch/batch_output.h"
#include "platform/cp1251.h"
#include "results/result_line.h"

namespace vt {
namespace {

TRunRecord Report(const TScores& scores)
{
    TRunRecord r;
    r.Scores = scores;
    r.Description = "Intel1466/\"Ж\", a,b";  // a quote and commas for the CSV
    r.Label = "40.0gb/";
    r.Tests = {1, 2, 3, 4, 5};
    r.Vendor = "Intel";
    r.Model = "P6 (Model 14)";
    r.CpuMHz = 1466.25;
    r.MemoryMiB = 256;
    r.DiskGb = "40.0";
    r.Date = "2003-06-01";
    r.PaintPlatform = "offscreen";
    r.FileSystem = "ext4";
    r.StorageKind = "disk";
    r.Run = 2;
    r.Runs = 3;
    r.CpuBrand = "AMD EPYC 7B13 \"64\"-Core";
    r.LogicalCpus = 8;
    r.Hypervisor = true;
    r.Os = "Debian GNU/Linux 12 (bookworm)";
    r.Kernel = "Linux 6.1.0-21-amd64";
    r.Host = "pc01";
    r.Started = "2026-12-08T17:04:08+01:00";
    r.LoadAverage = 0.25;
    r.MemoryBlockMiB = 512;
    r.Shapes = 10000;
    return r;
}

// The CSV fields of one row, quotes undone.
std::vector<std::string> CsvFields(const std::string& row)
{
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < row.size(); ++i) {
        const char c = row[i];
        if (quoted && c == '"' && i + 1 < row.size() && row[i + 1] == '"') {
            fields.back() += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

double Number(const std::string& text)
{
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    EXPECT_EQ(result.ptr, text.data() + text.size()) << text;
    return value;
}

double* Score(TScores& s, std::size_t i)
{
    double* scores[] = {&s.ListCreateTime, &s.SortTime,     &s.SortOutputTime, &s.FillMemSpeed,
                        &s.ReadMemSpeed,   &s.CyclesPerSec, &s.DrawTime,       &s.HddSpeed};
    return scores[i];
}

struct Case {
    const char* name;
    TScores scores;
};

void PrintTo(const Case& row, std::ostream* os)
{
    *os << row.name;
}

class BatchOutput : public ::testing::TestWithParam<std::tuple<Case, FormatSettings>> {};

TEST_P(BatchOutput, EveryFormatCarriesTheWindowsLine)
{
    const auto& [c, fs] = GetParam();
    const TRunRecord report = Report(c.scores);
    const std::string line =
        FormatResultLine(c.scores, Ansi(report.Description), Ansi(report.Label), fs);
    EXPECT_EQ(FormatBatchOutput(TBatchFormat::Line, report, fs), line + "\n");

    // CSV: a header row and one row, the scores in fields 3 to 10.
    TRunRecord first = report;
    first.Run = 1;
    const std::string csv = FormatBatchOutput(TBatchFormat::Csv, first, fs);
    const std::size_t headerEnd = csv.find('\n');
    ASSERT_EQ(csv.back(), '\n');
    const std::vector<std::string> names = CsvFields(csv.substr(0, headerEnd));
    const std::vector<std::string> row =
        CsvFields(csv.substr(headerEnd + 1, csv.size() - headerEnd - 2));
    ASSERT_EQ(names, BatchFieldNames());
    ASSERT_EQ(row.size(), names.size());
    TScores fromCsv;
    for (std::size_t i = 0; i < 8; ++i) *Score(fromCsv, i) = Number(row[2 + i]);
    EXPECT_EQ(FormatResultLine(fromCsv, Utf8ToCp1251(row[0]), Utf8ToCp1251(row[1]), fs), line);
    auto cell = [&](const char* name) {
        const auto at = std::find(names.begin(), names.end(), name);
        return at == names.end() ? std::string("(none)")
                                 : row[static_cast<std::size_t>(at - names.begin())];
    };
    EXPECT_EQ(cell("tests"), "1 2 3 4 5");
    EXPECT_EQ(Number(cell("cpu_mhz")), 1466.25);
    EXPECT_EQ(cell("disk_gb"), "40.0");
    EXPECT_EQ(cell("paint_platform"), "offscreen");
    EXPECT_EQ(cell("file_system"), "ext4");
    EXPECT_EQ(cell("run"), "1");
    EXPECT_EQ(cell("runs"), "3");
    EXPECT_EQ(cell("cpu_brand"), "AMD EPYC 7B13 \"64\"-Core");
    EXPECT_EQ(cell("hypervisor"), "true");
    EXPECT_EQ(cell("started"), "2026-12-08T17:04:08+01:00");
    EXPECT_EQ(cell("load_average"), "0.25");
    EXPECT_EQ(cell("memory_block_mib"), "512");
    // A later run's row comes without the header.
    EXPECT_EQ(FormatBatchOutput(TBatchFormat::Csv, report, fs).find(names[0]), std::string::npos);

    // JSON: one object, read with a real parser.
    const std::string json = FormatBatchOutput(TBatchFormat::Json, report, fs);
    QJsonParseError error{};
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << json;
    TScores fromJson;
    for (std::size_t i = 0; i < 8; ++i)
        *Score(fromJson, i) = o.value(QString::fromStdString(names[2 + i])).toDouble();
    EXPECT_EQ(FormatResultLine(fromJson, Utf8ToCp1251(o["description"].toString().toStdString()),
                               Utf8ToCp1251(o["disk_label"].toString().toStdString()), fs),
              line);
    EXPECT_EQ(o["tests"].toArray(), QJsonArray({1, 2, 3, 4, 5}));
    EXPECT_EQ(json.find('\n'), json.size() - 1);  // one object per line
    EXPECT_EQ(o["run"].toInt(), 2);
    EXPECT_EQ(o["runs"].toInt(), 3);
    EXPECT_EQ(o["cpu_brand"].toString(), QStringLiteral("AMD EPYC 7B13 \"64\"-Core"));
    EXPECT_EQ(o["logical_cpus"].toInt(), 8);
    EXPECT_EQ(o["hypervisor"].toBool(), true);
    EXPECT_EQ(o["os"].toString(), QStringLiteral("Debian GNU/Linux 12 (bookworm)"));
    EXPECT_EQ(o["kernel"].toString(), QStringLiteral("Linux 6.1.0-21-amd64"));
    EXPECT_EQ(o["host"].toString(), QStringLiteral("pc01"));
    EXPECT_EQ(o["started"].toString(), QStringLiteral("2026-12-08T17:04:08+01:00"));
    EXPECT_EQ(o["load_average"].toDouble(), 0.25);
    EXPECT_EQ(o["memory_block_mib"].toInt(), 512);
    EXPECT_EQ(o["shapes"].toInt(), 10000);
    EXPECT_EQ(o["memory_mib"].toInt(), 256);
    EXPECT_EQ(o["paint_platform"].toString(), QStringLiteral("offscreen"));
    EXPECT_EQ(o["storage_kind"].toString(), QStringLiteral("disk"));
    // Both carry every score to its last digit, with "." whatever the locale.
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(*Score(fromCsv, i), *Score(const_cast<TScores&>(c.scores), i)) << names[2 + i];
        EXPECT_EQ(*Score(fromJson, i), *Score(const_cast<TScores&>(c.scores), i)) << names[2 + i];
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, BatchOutput,
    ::testing::Combine(
        ::testing::Values(
            Case{"zero", {}},
            Case{"typical", {0.0037, 0.0041, 0.0271, 35955.5, 3585.4, 3918.8, 2.773, 563.26}},
            Case{"halves_and_wide", {0.005, 0.0005, 0.125, 123456.5, 0.5, 99999.95, 1.0 / 3, 1e6}}),
        ::testing::Values(FormatSettings{'.', ','}, FormatSettings{',', '\xA0'})),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) +
               (std::get<1>(info.param).DecimalSeparator == ',' ? "_comma" : "_point");
    });

// Only the scores of the tests that ran are figures; the others, and the
// figures of tests that did not run, are empty in CSV and null in JSON, while
// the result line keeps its zeros.
TEST(BatchOutputNulls, ScoresOfTestsNotRunAreNull)
{
    const struct {
        const char* name;
        std::vector<int> tests;
        std::vector<std::string> figures;  // the fields that hold figures
    } rows[] = {
        {"lists", {1}, {"ListCreateTime", "SortTime", "SortOutputTime"}},
        {"cycles", {2}, {"CyclesPerSec"}},
        {"shapes", {3}, {"DrawTime", "shapes"}},
        {"file", {4}, {"HddSpeed"}},
        {"memory", {5}, {"FillMemSpeed", "ReadMemSpeed", "memory_block_mib"}},
        {"memory and cycles",
         {5, 2},
         {"FillMemSpeed", "ReadMemSpeed", "memory_block_mib", "CyclesPerSec"}},
    };
    const std::vector<std::string> optional = {
        "ListCreateTime", "SortTime", "SortOutputTime", "FillMemSpeed",     "ReadMemSpeed",
        "CyclesPerSec",   "DrawTime", "HddSpeed",       "memory_block_mib", "shapes"};
    const FormatSettings fs{'.', ','};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TRunRecord r = Report({1, 2, 3, 4, 5, 6, 7, 8});
        r.Run = 1;
        r.Tests = row.tests;
        if (!Ran(r, 5)) r.MemoryBlockMiB.reset();
        if (!Ran(r, 3)) r.Shapes.reset();
        const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(FormatBatchOutput(
                                                          TBatchFormat::Json, r, fs)))
                                  .object();
        const std::string csv = FormatBatchOutput(TBatchFormat::Csv, r, fs);
        const std::size_t headerEnd = csv.find('\n');
        const std::vector<std::string> names = CsvFields(csv.substr(0, headerEnd));
        const std::vector<std::string> cells =
            CsvFields(csv.substr(headerEnd + 1, csv.size() - headerEnd - 2));
        for (const std::string& name : optional) {
            SCOPED_TRACE(name);
            const bool figure =
                std::find(row.figures.begin(), row.figures.end(), name) != row.figures.end();
            EXPECT_EQ(o.value(QString::fromStdString(name)).isDouble(), figure);
            EXPECT_EQ(o.value(QString::fromStdString(name)).isNull(), !figure);
            const auto at = std::find(names.begin(), names.end(), name) - names.begin();
            EXPECT_EQ(cells[static_cast<std::size_t>(at)].empty(), !figure);
        }
        EXPECT_EQ(FormatBatchOutput(TBatchFormat::Line, r, fs),
                  FormatResultLine(r.Scores, Ansi(r.Description), Ansi(r.Label), fs) + "\n");
    }
}

// Batch's CSV keeps a text that a spreadsheet would take for a formula as
// text, as Compare's CSV does; JSON carries it as it is.
TEST(BatchOutputCsv, FormulaTextsStayText)
{
    const struct {
        std::string description, csv;
    } rows[] = {
        {"=1+2", "'=1+2"},
        {"-lab", "'-lab"},
        {"@cmd,x", "\"'@cmd,x\""},
        {"PC 1", "PC 1"},
    };
    const FormatSettings fs{'.', ','};
    for (const auto& row : rows) {
        TRunRecord r = Report({});
        r.Run = 2;
        r.Description = row.description;
        const std::string csv = FormatBatchOutput(TBatchFormat::Csv, r, fs);
        EXPECT_EQ(csv.rfind(row.csv + ",", 0), 0u) << csv;
        const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(FormatBatchOutput(
                                                          TBatchFormat::Json, r, fs)))
                                  .object();
        EXPECT_EQ(o["description"].toString().toStdString(), row.description);
    }
}

TEST(BatchOutputNulls, NoLoadAverageIsNull)
{
    TRunRecord r = Report({});
    r.LoadAverage.reset();
    const std::string json = FormatBatchOutput(TBatchFormat::Json, r, FormatSettings{'.', ','});
    EXPECT_NE(json.find("\"load_average\": null"), std::string::npos) << json;
}

}  // namespace
}  // namespace vt
