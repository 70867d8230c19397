#include "compare/compare_charts.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QGraphicsTextItem>
#include <QHorizontalStackedBarSeries>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPen>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <numeric>

#include "compare/run_columns.h"
#include "compare/table_format.h"

namespace vt {

namespace {

using stats::TVerdict;

// The bar colours: one per verdict.
struct TVerdictLook {
    TVerdict Verdict;
    const char* Legend;
    QColor Colour;
};

const std::array<TVerdictLook, 5>& VerdictLooks()
{
    static const std::array<TVerdictLook, 5> looks = {{
        {TVerdict::Reference, "reference", QColor(0x3b, 0x6e, 0xc4)},
        {TVerdict::Faster, "faster", QColor(0x2e, 0x9d, 0x4a)},
        {TVerdict::Slower, "slower", QColor(0xd1, 0x45, 0x3b)},
        {TVerdict::NoDifference, "no difference", QColor(0x9a, 0x9a, 0x9a)},
        {TVerdict::TooFewRuns, "too few runs", QColor(0xd4, 0xc8, 0x9a)},
    }};
    return looks;
}

// A machine's smallest and largest run on the ratio's scale.
std::pair<double, double> Whisker(const TMachineTable& table, std::size_t machine, int score)
{
    const auto s = static_cast<std::size_t>(score);
    const stats::TRunSummary& runs = table.Results[machine].Scores[s].Runs;
    const double reference = table.Results[table.Reference].Scores[s].Runs.Median;
    if (kScoreTable[s].HigherIsBetter) return {runs.Min / reference, runs.Max / reference};
    return {reference / runs.Max, reference / runs.Min};
}

QString Escaped(const QString& text)
{
    return text.toHtmlEscaped();
}

// The machines' labels, each beside its bar, right-aligned against the plot
// area, whole: the chart keeps a left margin as wide as the widest.
void AddNames(QChart* chart, const TMachineTable& table, int score,
              const std::vector<std::size_t>& machines)
{
    std::vector<QGraphicsTextItem*> names;
    qreal widest = 0;
    for (std::size_t machine : machines) {
        QString label = Escaped(RatioLabel(table, machine, score));
        label.replace(QLatin1Char('\n'), QLatin1String("<br>"));
        if (machine == table.Reference) label = QStringLiteral("<b>%1</b>").arg(label);
        auto* name = new QGraphicsTextItem(chart);
        name->setHtml(QStringLiteral("<div align=\"right\">%1</div>").arg(label));
        name->setTextWidth(-1);
        name->setTextWidth(name->boundingRect().width());
        name->setObjectName(QStringLiteral("MachineName"));
        widest = std::max(widest, name->boundingRect().width());
        names.push_back(name);
    }
    QMargins margins = chart->margins();
    margins.setLeft(static_cast<int>(widest) + 12);
    chart->setMargins(margins);
    QObject::connect(chart, &QChart::plotAreaChanged, chart, [names](const QRectF& plot) {
        const qreal row =
            plot.height() / static_cast<qreal>(std::max<std::size_t>(names.size(), 1));
        for (std::size_t i = 0; i < names.size(); ++i) {
            const QRectF box = names[i]->boundingRect();
            names[i]->setPos(plot.left() - 6 - box.width(),
                             plot.top() + (static_cast<qreal>(i) + 0.5) * row - box.height() / 2);
        }
    });
}

}  // namespace

QString RatioLabel(const TMachineTable& table, std::size_t machine, int score)
{
    const TScoreResult& r = table.Results[machine].Scores[static_cast<std::size_t>(score)];
    const stats::TScoreComparison& c = r.Comparison;
    QString second;
    if (c.Verdict == TVerdict::Reference)
        second = QStringLiteral("reference, %1 runs").arg(r.Runs.Runs);
    else if (!c.Ratio)
        second = r.Runs.Runs == 0 ? QStringLiteral("not measured")
                                  : QStringLiteral("the reference has no value");
    else
        second = QStringLiteral("%1 (medians %2), %3%4%5")
                     .arg(RatioText(c.Ratio), RatioText(c.MedianRatio), VerdictLabel(c.Verdict),
                          c.Low ? QStringLiteral(" (95%: %1)").arg(IntervalText(c)) : QString(),
                          c.CoarseRounding ? QStringLiteral(", figures rounded") : QString());
    return QStringLiteral("%1. %2\n%3")
        .arg(machine + 1)
        .arg(MachineTitle(table.Grouping, machine), second);
}

int RatioChartHeight(std::size_t machines)
{
    return 130 + 44 * static_cast<int>(std::max<std::size_t>(machines, 1));
}

QChart* RatioChart(const TMachineTable& table, int score, const std::vector<std::size_t>& machines)
{
    const auto s = static_cast<std::size_t>(score);
    const TScoreRow& column = kScoreTable[s];
    auto* chart = new QChart;
    chart->setTitle(QStringLiteral("<b>%1</b>: %2 (%3), ratio %4, above 1 is better")
                        .arg(QLatin1String(kScoreTable[s].Name), QLatin1String(column.Title),
                             QLatin1String(column.Unit), RatioMeaning(score)));
    const auto n = static_cast<int>(machines.size());

    // Category i is drawn i-th from the bottom: the first machine goes last.
    QStringList categories;
    for (int row = n - 1; row >= 0; --row) categories << QString::number(row);
    auto* bars = new QHorizontalStackedBarSeries;
    bars->setBarWidth(0.6);
    double top = 1;
    for (const TVerdictLook& look : VerdictLooks()) {
        auto* set = new QBarSet(QLatin1String(look.Legend));
        set->setColor(look.Colour);
        set->setBorderColor(look.Colour.darker(130));
        for (int row = n - 1; row >= 0; --row) {
            const stats::TScoreComparison& c =
                table.Results[machines[static_cast<std::size_t>(row)]].Scores[s].Comparison;
            const bool mine = c.Ratio && c.Verdict == look.Verdict;
            set->append(mine ? *c.Ratio : 0);
            if (mine) top = std::max(top, *c.Ratio);
        }
        bars->append(set);
    }
    chart->addSeries(bars);

    // The names are drawn beside the bars by the chart itself (below), not
    // by the axis, whose labels the chart's layout cuts short when they
    // are long.
    auto* names = new QBarCategoryAxis;
    names->append(categories);
    names->setLabelsVisible(false);
    names->setGridLineVisible(false);
    auto* ratio = new QValueAxis;
    ratio->setTitleText(QStringLiteral("ratio to the reference"));
    auto* rows = new QValueAxis;  // the categories' scale, for the whiskers
    rows->setRange(-0.5, n - 0.5);
    rows->setVisible(false);
    chart->addAxis(ratio, Qt::AlignBottom);
    chart->addAxis(names, Qt::AlignLeft);
    chart->addAxis(rows, Qt::AlignRight);
    bars->attachAxis(ratio);
    bars->attachAxis(names);

    // Whiskers from the smallest to the largest run, with short end bars.
    QPen whiskerPen(Qt::black);
    whiskerPen.setWidthF(1.5);
    for (int row = 0; row < n; ++row) {
        const std::size_t m = machines[static_cast<std::size_t>(row)];
        if (!table.Results[m].Scores[s].Comparison.Ratio) continue;
        const auto [low, high] = Whisker(table, m, score);
        const double y = n - 1 - row;
        auto* whisker = new QLineSeries;
        whisker->append({{low, y - 0.15},
                         {low, y + 0.15},
                         {low, y},
                         {high, y},
                         {high, y + 0.15},
                         {high, y - 0.15}});
        whisker->setPen(whiskerPen);
        chart->addSeries(whisker);
        whisker->attachAxis(ratio);
        whisker->attachAxis(rows);
        top = std::max(top, high);
    }
    // A series of no points, only for its legend entry.
    auto* whiskerLegend = new QLineSeries;
    whiskerLegend->setPen(whiskerPen);
    chart->addSeries(whiskerLegend);
    whiskerLegend->attachAxis(ratio);
    whiskerLegend->attachAxis(rows);
    auto* one = new QLineSeries;
    one->append({{1, -0.5}, {1, n - 0.5}});
    QPen onePen(Qt::black);
    onePen.setStyle(Qt::DashLine);
    one->setPen(onePen);
    chart->addSeries(one);
    one->attachAxis(ratio);
    one->attachAxis(rows);

    ratio->setRange(0, top * 1.08);
    ratio->applyNiceNumbers();
    for (QLegendMarker* marker : chart->legend()->markers())
        marker->setVisible(marker->series() == bars);
    chart->legend()->setAlignment(Qt::AlignBottom);
    // The whiskers are the runs, not the interval: the legend says so.
    whiskerLegend->setName(QStringLiteral("whisker: smallest to largest run"));
    for (QLegendMarker* marker : chart->legend()->markers(whiskerLegend)) marker->setVisible(true);
    AddNames(chart, table, score, machines);
    return chart;
}

QChart* RunsChart(const TMachineTable& table, int score, std::size_t machine,
                  const std::vector<bool>& notQuiet)
{
    TMachineRuns all;
    MachineRuns(table.Logs, table.Grouping, machine, all);
    return RunsChart(all[static_cast<std::size_t>(score)], score, notQuiet);
}

QChart* RunsChart(const std::vector<double>& runs, int score, const std::vector<bool>& notQuiet)
{
    if (runs.empty()) return nullptr;
    const auto s = static_cast<std::size_t>(score);
    const TScoreRow& column = kScoreTable[s];
    auto* chart = new QChart;
    const TRunColumns columns = RunColumns(runs, notQuiet, kRunColumns);
    chart->setTitle(
        QStringLiteral("<b>%1</b>: %2 (%3), %4 is better%5")
            .arg(QLatin1String(kScoreTable[s].Name), QLatin1String(column.Title),
                 QLatin1String(column.Unit),
                 column.HigherIsBetter ? QStringLiteral("higher") : QStringLiteral("lower"),
                 columns.Summarised
                     ? QStringLiteral("<br>%1 runs: each column spans the smallest to the "
                                      "largest of about %2 runs")
                           .arg(runs.size())
                           .arg(runs.size() / columns.Columns.size())
                     : QString()));
    // Each run a point joined to the next; past kRunColumns runs, a line
    // down each column from its largest to its smallest value and on to the
    // next column, which draws the runs' range as the pixels can show it.
    auto* line = new QLineSeries;
    auto* points = new QScatterSeries;
    points->setMarkerSize(7);
    auto* busy = new QScatterSeries;  // runs that were not quiet
    busy->setName(QStringLiteral("not quiet"));
    busy->setMarkerShape(QScatterSeries::MarkerShapeTriangle);
    busy->setMarkerSize(9);
    busy->setColor(QColor(0xd1, 0x45, 0x3b));
    QList<QPointF> linePoints, quietPoints, busyPoints;
    double low = runs.front(), high = runs.front();
    for (const TRunColumn& c : columns.Columns) {
        const double x = std::midpoint(c.First, c.Last);
        if (columns.Summarised) {
            linePoints << QPointF(x, c.Max) << QPointF(x, c.Min);
        } else {
            linePoints << QPointF(x, c.Min);
            if (!c.NotQuiet) quietPoints << QPointF(x, c.Min);
        }
        if (c.NotQuiet) busyPoints << QPointF(x, c.NotQuietMax);
        low = std::min(low, c.Min);
        high = std::max(high, c.Max);
    }
    // Whole lists at once: one redraw, not one per point.
    line->replace(linePoints);
    points->replace(quietPoints);
    busy->replace(busyPoints);
    chart->addSeries(line);
    if (!columns.Summarised) chart->addSeries(points);
    chart->addSeries(busy);
    auto* x = new QValueAxis;
    x->setTitleText(QStringLiteral("run, in log order"));
    x->setLabelFormat("%d");
    // Ticks on whole runs only.
    const auto count = static_cast<double>(runs.size());
    x->setRange(0, count + 1);
    x->setTickType(QValueAxis::TicksDynamic);
    x->setTickAnchor(0);
    x->setTickInterval(std::max(1.0, std::ceil(count / 10)));
    auto* y = new QValueAxis;
    y->setTitleText(QLatin1String(column.Unit));
    const double margin = std::max((high - low) * 0.1, high * 0.02);
    y->setRange(std::max(0.0, low - margin), high + margin);
    y->applyNiceNumbers();
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QXYSeries* series : {static_cast<QXYSeries*>(line), static_cast<QXYSeries*>(points),
                              static_cast<QXYSeries*>(busy)}) {
        if (!series->chart()) continue;  // the points, where columns stand for the runs
        series->attachAxis(x);
        series->attachAxis(y);
    }
    if (busyPoints.isEmpty()) {
        chart->legend()->hide();
    } else {
        for (QLegendMarker* marker : chart->legend()->markers())
            marker->setVisible(marker->series() == busy);
        chart->legend()->setAlignment(Qt::AlignBottom);
    }
    if (columns.Summarised) delete points;
    return chart;
}

}  // namespace vt
