// The Compare window on real logs, offscreen: machines in the table, the
// reference, the choice of grouping, the charts with long names (drawn and
// grabbed as a picture), the exports.
#include <gtest/gtest.h>

#include <QAbstractBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QFile>
#include <QGraphicsTextItem>
#include <QHeaderView>
#include <QImage>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QXYSeries>

#include "compare/compare_charts.h"
#include "compare/compare_window.h"
#include "compare/table_format.h"
#include "platform/cp1251.h"
#include "tests/commands/compare_logs.h"

namespace vt {
namespace {

using test::ScaledLine;
using test::WriteLog;

const std::string kLongCyrillic = Ansi("Бухгалтерия, 3-й этаж");  // 21 characters
const std::string kLongLatin = "Workstation Ryzen 9 XT";          // 22 characters

// Two logs of the same name in two folders: seven machines, long names.
struct TLogs {
    QTemporaryDir dir;
    QString pc1 = dir.filePath("pc1/Result3.txt");
    QString pc2 = dir.filePath("pc2/Result3.txt");
    TLogs()
    {
        const double noise[] = {1.00, 0.97, 1.03, 0.99, 1.02, 0.98};
        std::vector<std::string> one, two;
        for (double n : noise) {
            one.push_back(ScaledLine(kLongCyrillic, Ansi("ССД 1ТБ"), n));
            one.push_back(ScaledLine(kLongLatin, "NVMe 2TB", 1.4 * n));
            two.push_back(ScaledLine("PC 10", "", 0.6 * n));
        }
        two.push_back(ScaledLine("PC 2", "", 1));
        two.push_back("cut short|  1.2");
        WriteLog(pc1, one);
        WriteLog(pc2, two);
    }
};

void Open(TCompareWindow& window, const QStringList& logs)
{
    window.AddLogs(logs);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.Loading(); }, 60000));
}

QString Cell(TCompareWindow& w, int row, int column)
{
    return w.Model().data(w.Model().index(row, column), Qt::DisplayRole).toString();
}

// The labels beside the bars of a ratio chart, top to bottom.
std::vector<QGraphicsTextItem*> Names(QChart* chart)
{
    std::vector<QGraphicsTextItem*> names;
    for (QGraphicsItem* item : chart->childItems())
        if (auto* text = dynamic_cast<QGraphicsTextItem*>(item);
            text && text->objectName() == "MachineName")
            names.push_back(text);
    std::sort(names.begin(), names.end(),
              [](auto* a, auto* b) { return a->scenePos().y() < b->scenePos().y(); });
    return names;
}

TEST(CompareWindow, MachinesOfTwoLogsOfOneName)
{
    TLogs logs;
    TCompareWindow window;
    window.show();
    Open(window, {logs.pc1, logs.pc2});
    TMachineModel& model = window.Model();
    ASSERT_EQ(model.rowCount(), 4);
    EXPECT_EQ(Cell(window, 0, 0), Cp1251ToUtf8(kLongCyrillic).c_str());
    EXPECT_EQ(Cell(window, 0, 3), "pc1/Result3.txt:6");
    EXPECT_EQ(Cell(window, 2, 3), "pc2/Result3.txt:6");
    EXPECT_EQ(Cell(window, 1, 2), "6");
    EXPECT_EQ(Cell(window, 0, RatioColumn(5)), "reference");
    EXPECT_TRUE(Cell(window, 1, RatioColumn(5)).endsWith("  faster"));
    EXPECT_TRUE(Cell(window, 2, RatioColumn(0)).endsWith("  slower"));
    EXPECT_TRUE(Cell(window, 3, RatioColumn(0)).endsWith("  too few runs"));
    EXPECT_TRUE(model.data(model.index(0, 0), Qt::FontRole).value<QFont>().bold());
    EXPECT_TRUE(window.MessagesText().contains("pc2/Result3.txt: 1 line skipped"));
    EXPECT_TRUE(window.MessagesTip().contains("pc2/Result3.txt: line 13: not a result line"));
    EXPECT_TRUE(model.headerData(RatioColumn(0), Qt::Horizontal, Qt::ToolTipRole)
                    .toString()
                    .contains("too few runs"));

    // Another reference: the machines stay, the ratios follow it.
    window.SetReference(2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.Loading(); }, 60000));
    EXPECT_EQ(window.Table()->Reference, 2u);
    EXPECT_EQ(Cell(window, 2, RatioColumn(5)), "reference");
    EXPECT_TRUE(Cell(window, 0, RatioColumn(5)).endsWith("  faster"));
    EXPECT_TRUE(window.StatusText().contains("\nReference: 3. PC 10"));

    // The same log opened again is not read again.
    Open(window, {logs.pc1});
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_TRUE(window.MessagesText().contains(logs.pc1 + ": open already, read once"));

    // Grouped by file, then by line.
    window.SetGroupBy(TGroupBy::File);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.Loading(); }, 60000));
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(Cell(window, 1, 0), "pc2/Result3.txt");
    window.SetGroupBy(TGroupBy::Line);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.Loading(); }, 60000));
    EXPECT_EQ(model.rowCount(), 19);
}

TEST(CompareWindow, SortsNamesNaturallyAndKeepsMachineNumbers)
{
    TLogs logs;
    TCompareWindow window;
    window.show();
    Open(window, {logs.pc2});
    TMachineModel& model = window.Model();
    model.sort(0, Qt::AscendingOrder);
    EXPECT_EQ(Cell(window, 0, 0), "PC 2");
    EXPECT_EQ(Cell(window, 1, 0), "PC 10");
    EXPECT_EQ(model.headerData(0, Qt::Vertical, Qt::DisplayRole).toInt(), 2);
    model.sort(RatioColumn(0), Qt::DescendingOrder);
    EXPECT_EQ(Cell(window, 0, 0), "PC 2");
    // The charts follow the table's order.
    const auto names = Names(window.RatioChartOf(0));
    ASSERT_EQ(names.size(), 2u);
    EXPECT_TRUE(names[0]->toPlainText().startsWith("2. PC 2"));
}

TEST(CompareWindow, ColumnsAreWideEnoughForEveryRow)
{
    QTemporaryDir dir;
    std::vector<std::string> lines;
    for (int i = 0; i < 1500; ++i) lines.push_back(ScaledLine("PC " + std::to_string(i), "", 1));
    lines.push_back(ScaledLine(kLongLatin, "WWWWWWWW", 1));  // the widest, last
    WriteLog(dir.filePath("a.txt"), lines);
    TCompareWindow window;
    window.show();
    Open(window, {dir.filePath("a.txt")});
    auto* table = window.findChild<QTableView*>();
    ASSERT_NE(table, nullptr);
    QFont bold = table->font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    for (int column : {0, 1}) {
        SCOPED_TRACE(column);
        const QString widest = Cell(window, 1500, column);
        EXPECT_GT(table->columnWidth(column), metrics.horizontalAdvance(widest));
    }
    // Only the first machines are charted at first.
    EXPECT_EQ(window.Model().ChartedMachines().size(),
              static_cast<std::size_t>(TMachineModel::kFirstCharted));
}

TEST(CompareWindow, ChartsShowWholeNamesAndMarkTheReference)
{
    TLogs logs;
    TCompareWindow window;
    window.resize(1100, 900);
    window.show();
    Open(window, {logs.pc1, logs.pc2});
    const int cycles = 5;
    QChart* chart = window.RatioChartOf(cycles);
    ASSERT_NE(chart, nullptr);
    auto* view = qobject_cast<QChartView*>(chart->scene()->views().value(0));
    ASSERT_NE(view, nullptr);
    const QImage picture = view->grab().toImage();
    const QTemporaryDir out;
    ASSERT_TRUE(picture.save(out.filePath("cycles.png")));

    // Every label is the whole name, its ratio and verdict, inside the
    // picture and left of the bars.
    const auto names = Names(chart);
    ASSERT_EQ(names.size(), 4u);
    const QRectF plot = chart->plotArea();
    for (std::size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(i);
        const QString text = names[i]->toPlainText();
        const QString expected = RatioLabel(*window.Table(), i, cycles);
        EXPECT_EQ(text, expected);
        EXPECT_FALSE(text.contains("...") || text.contains(QChar(0x2026)));
        const QRectF box = names[i]->mapRectToScene(names[i]->boundingRect());
        EXPECT_GE(box.left(), 0);
        EXPECT_LE(box.right(), plot.left());
    }
    EXPECT_TRUE(names[0]->toPlainText().startsWith(
        QString::fromStdString("1. " + Cp1251ToUtf8(kLongCyrillic))));
    EXPECT_TRUE(names[0]->toPlainText().contains("reference"));
    EXPECT_TRUE(names[1]->toPlainText().contains("faster (95%: "));
    EXPECT_TRUE(names[3]->toPlainText().contains("too few runs"));
    EXPECT_TRUE(names[0]->toHtml().contains("font-weight:700") ||
                names[0]->toHtml().contains("font-weight:600"));

    // The reference's bar is drawn in the reference's colour, the faster
    // machine's in another: look at the pixels in the middle of each bar.
    auto* bars = qobject_cast<QAbstractBarSeries*>(chart->series().front());
    ASSERT_NE(bars, nullptr);
    auto pixel = [&](int row, double ratio) {
        const QPointF at = chart->mapToPosition(QPointF(ratio / 2, 3 - row), bars);
        const QPoint p = view->mapFromScene(at);
        return picture.pixelColor(p * picture.devicePixelRatio());
    };
    QColor reference, faster;
    for (QBarSet* set : bars->barSets()) {
        if (set->label() == "reference") reference = set->color();
        if (set->label() == "faster") faster = set->color();
    }
    EXPECT_EQ(pixel(0, 1.0), reference);
    EXPECT_EQ(pixel(1, 1.4), faster);

    // A line at 1.0, a whisker for each machine with runs, and the legend's
    // entry that says what the whiskers are.
    int lines = 0;
    bool whiskersNamed = false;
    for (QAbstractSeries* s : chart->series()) {
        if (s->type() == QAbstractSeries::SeriesTypeLine) ++lines;
        whiskersNamed = whiskersNamed || s->name().contains("smallest to largest run");
    }
    EXPECT_EQ(lines, 1 + 4 + 1);
    EXPECT_TRUE(whiskersNamed);

    // Unticked machines leave the charts.
    window.Model().SetCharted(1, false);
    EXPECT_EQ(Names(window.RatioChartOf(cycles)).size(), 3u);
}

TEST(CompareWindow, RunsOverTimeAndExports)
{
    TLogs logs;
    TCompareWindow window;
    window.show();
    Open(window, {logs.pc1, logs.pc2});
    // The runs of the current machine (the reference at first), in log order.
    QChart* runs = window.RunsChartOf(5);
    ASSERT_NE(runs, nullptr);
    auto* line = qobject_cast<QXYSeries*>(runs->series().front());
    ASSERT_EQ(line->count(), 6);
    EXPECT_DOUBLE_EQ(line->at(1).y(), 3000 * 0.97);
    EXPECT_DOUBLE_EQ(line->at(2).y(), 3000 * 1.03);

    QTemporaryDir out;
    const QString csv = out.filePath("t.csv");
    ASSERT_TRUE(window.ExportCsv(csv));
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> rows = file.readAll().split('\n');
    ASSERT_EQ(rows.size(), 6);  // the header, four machines, the end
    EXPECT_EQ(rows[0] + '\n', QByteArray::fromStdString(MachineCsvHeader()));
    EXPECT_TRUE(rows[1].startsWith(QByteArray::fromStdString(
        "\"" + Cp1251ToUtf8(kLongCyrillic) + "\"," + Cp1251ToUtf8(Ansi("ССД 1ТБ")) + ",6,")));

    const QString png = out.filePath("charts.png");
    ASSERT_TRUE(window.ExportCharts(png));
    const QImage exported(png);
    const QImage charts = window.Charts()->grab().toImage();
    // The heading (the logs and the reference) above the charts.
    EXPECT_GT(exported.height(), charts.height());
    EXPECT_TRUE(TableHeading(*window.Table())
                    .startsWith("Logs: pc1/Result3.txt, pc2/Result3.txt\nMachines by "
                                "description and label\nReference: 1. "));
}

TEST(CompareWindow, ReferenceChosenByNameBeforeTheLogsAreRead)
{
    TLogs logs;
    const struct {
        const char* name;
        QString reference;
        std::size_t machine;
        QString error;
    } rows[] = {
        {"by name", "PC 10", 2, {}},
        {"by number", "4", 3, {}},
        {"no such machine", "Server", 0, "not found: no machine 'Server'"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TCompareWindow window;
        window.ChooseReference(row.reference);
        window.show();
        Open(window, {logs.pc1, logs.pc2});
        EXPECT_EQ(window.Table()->Reference, row.machine);
        EXPECT_EQ(window.StatusText().contains(row.error), true);
    }
}

}  // namespace
}  // namespace vt
