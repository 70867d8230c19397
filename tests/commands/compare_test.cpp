#include <gtest/gtest.h>

#include <QBarSet>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "compare/compare_table.h"
#include "compare/compare_window.h"
#include "platform/cp1251.h"
#include "results/result_line.h"
#include "results/results_log.h"

namespace vt {
namespace {

TEST(Compare, RelativeScoresAreHigherIsBetterAndEmptyWithoutAValue)
{
    const struct {
        const char* name;
        std::optional<double> value, reference;
        bool isTime;
        std::optional<double> expected;
    } rows[] = {
        {"faster speed", 200.0, 100.0, false, 2.0},
        {"shorter time", 0.5, 1.0, true, 2.0},
        {"longer time", 4.0, 1.0, true, 0.25},
        {"not measured", std::nullopt, 1.0, true, std::nullopt},
        {"reference not measured", 1.0, std::nullopt, false, std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(RelativeScore(row.value, row.reference, row.isTime), row.expected);
    }
    TScores zero;
    EXPECT_FALSE(ScoreValue(zero, 0).has_value());  // zero is "not run", never a ratio
}

// A small CSV reader: quoted fields with doubled quotes, commas inside quotes.
std::vector<QStringList> ReadCsv(const QString& text)
{
    std::vector<QStringList> rows;
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                field += c, ++i;
            else if (c == '"')
                quoted = false;
            else
                field += c;
        } else if (c == '"')
            quoted = true;
        else if (c == ',')
            fields << field, field.clear();
        else if (c == '\n')
            fields << field, field.clear(), rows.push_back(fields), fields.clear();
        else
            field += c;
    }
    return rows;
}

void WriteLog(const QString& path, const std::vector<std::string>& lines)
{
    std::string bytes;
    for (const std::string& h : ResultsLogHeader()) bytes += h + "\r\n";
    for (const std::string& l : lines) bytes += l + "\r\n";
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

TEST(Compare, WindowOverThreeLogs)
{
    QTemporaryDir dir;
    const TScores slow{2.0, 0.4, 3.0, 100, 200, 50.0, 4.0, 10.0};
    const TScores fast{1.0, 0.2, 1.5, 400, 800, 100.0, 2.0, 40.0};
    TScores partial = fast;
    partial.HddSpeed = 0;  // the disk test was not run
    const QString a = dir.filePath("a.txt"), b = dir.filePath("b.txt"), c = dir.filePath("c.txt");
    WriteLog(a, {FormatResultLine(slow, "slow, \"old\"", "WD", {'.', ','})});
    WriteLog(b, {FormatResultLine(fast, Ansi("быстрый"), "ST", {',', ' '}), "junk"});
    WriteLog(c, {FormatResultLine(partial, "partial", "IBM", {'.', ','})});

    TCompareWindow window;
    window.show();
    window.AddLogs({a, b, c});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.Loading(); }, 10000));
    TCompareModel& model = window.Model();
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.data(model.index(1, 1), Qt::DisplayRole).toString(), QString("быстрый"));
    EXPECT_EQ(model.data(model.index(1, 3), Qt::DisplayRole).toString(), QString("1.00"));
    EXPECT_EQ(model.data(model.index(2, 10), Qt::DisplayRole).toString(), QString());
    EXPECT_TRUE(window.SkippedText().contains("b.txt: 1 line skipped (7)"));

    // The first row is the reference until another is chosen.
    EXPECT_EQ(model.ReferenceRow(), 0);
    EXPECT_DOUBLE_EQ(window.ChartBars(0)->at(1), 2.0);  // time halved: twice as good
    EXPECT_DOUBLE_EQ(window.ChartBars(7)->at(1), 4.0);  // disk four times as fast
    EXPECT_DOUBLE_EQ(window.ChartBars(7)->at(2), 0.0);  // not measured: no bar
    model.SetReferenceRow(1);
    EXPECT_DOUBLE_EQ(window.ChartBars(0)->at(0), 0.5);
    EXPECT_DOUBLE_EQ(window.ChartBars(3)->at(0), 0.25);

    // Sorting keeps the chosen reference and the charts follow the table.
    model.sort(kFixedColumns + 7, Qt::DescendingOrder);
    EXPECT_EQ(model.ReferenceRow(), 0);
    EXPECT_EQ(model.data(model.index(2, 1), Qt::DisplayRole).toString(), QString("partial"));
    EXPECT_DOUBLE_EQ(window.ChartBars(7)->at(1), 0.25);

    // The CSV export reads back as the table shows it.
    const QString csvPath = dir.filePath("t.csv");
    ASSERT_TRUE(window.ExportCsv(csvPath));
    QFile csv(csvPath);
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const auto rows = ReadCsv(QString::fromUtf8(csv.readAll()));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], ColumnTitles());
    for (int r = 0; r < 3; ++r)
        for (int column = 0; column < kColumnCount; ++column)
            EXPECT_EQ(rows[static_cast<std::size_t>(r + 1)][column],
                      model.data(model.index(r, column), Qt::DisplayRole).toString());
    EXPECT_EQ(rows[2][1], QString("slow, \"old\""));

    const QString png = dir.filePath("charts.png");
    EXPECT_TRUE(window.ExportCharts(png));
    EXPECT_GT(QFile(png).size(), 0);
}

}  // namespace
}  // namespace vt
