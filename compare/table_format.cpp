#include "compare/table_format.h"

#include <QStringList>
#include <algorithm>
#include <charconv>
#include <cmath>

#include "platform/cp1251.h"
#include "results/result_line.h"

namespace vt {

namespace {

// `value` with `decimals` decimals and ".", appended to `out`.
void AppendFixed(std::string& out, double value, int decimals)
{
    char text[64];
    const auto end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals).ptr;
    out.append(text, end);
}

std::string Utf8(const QString& text)
{
    return text.toUtf8().toStdString();
}

// `line` broken at blanks into lines of at most `width` characters, the
// lines after the first indented by `indent`; a word longer than a line
// keeps a line of its own.
QString WrappedLine(const QString& line, int width, const QString& indent)
{
    QString out, current;
    for (const QString& word : line.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!current.isEmpty() && current.size() + 1 + word.size() > width) {
            out += current + QLatin1Char('\n');
            current = indent;
        }
        if (!current.isEmpty() && current != indent) current += QLatin1Char(' ');
        current += word;
    }
    return out + current;
}

// Whether `value` needs one decimal more than `decimals` to be shown exactly
// (the median of an even number of runs).
bool NeedsOneMore(double value, int decimals)
{
    const double scaled = value * std::pow(10.0, decimals);
    return std::fabs(scaled - std::round(scaled)) > 1e-6 * std::max(1.0, scaled);
}

std::string Padded(const QString& text, int width, bool left)
{
    return Utf8(left ? text.leftJustified(width) : text.rightJustified(width));
}

int Width(const QString& text)
{
    return static_cast<int>(text.size());
}

// A table of cells laid out in columns as wide as their widest cell, texts
// on the left, numbers on the right.
class TTextTable {
public:
    explicit TTextTable(std::vector<bool> leftAligned) : left_(std::move(leftAligned)) {}
    void Add(QStringList row)
    {
        for (qsizetype c = 0; c < row.size(); ++c) {
            if (static_cast<std::size_t>(c) >= widths_.size()) widths_.push_back(0);
            widths_[static_cast<std::size_t>(c)] =
                std::max(widths_[static_cast<std::size_t>(c)], Width(row[c]));
        }
        rows_.push_back(std::move(row));
    }
    std::string Text() const
    {
        std::string text;
        for (const QStringList& row : rows_) {
            std::string line;
            for (qsizetype c = 0; c < row.size(); ++c) {
                const auto i = static_cast<std::size_t>(c);
                if (c > 0) line += "  ";
                line += Padded(row[c], widths_[i], i < left_.size() && left_[i]);
            }
            line.erase(line.find_last_not_of(' ') + 1);
            text += line + '\n';
        }
        return text;
    }

private:
    std::vector<bool> left_;
    std::vector<int> widths_;
    std::vector<QStringList> rows_;
};

constexpr std::size_t kLineWidth = 7;

// A score's column title in the rows of `--runs`: "List creation (s)".
QString RunTitle(std::size_t score)
{
    const TScoreRow& column = kScoreTable[score];
    return QStringLiteral("%1 (%2)").arg(QLatin1String(column.Title), QLatin1String(column.Unit));
}

QString MachineNumber(std::size_t machine)
{
    return QString::number(machine + 1);
}

}  // namespace

QString ValueText(double value, int decimals)
{
    const double scaled = value * std::pow(10.0, decimals);
    const bool whole = std::fabs(scaled - std::round(scaled)) <= 1e-6 * std::max(1.0, scaled);
    std::string text;
    AppendFixed(text, value, whole ? decimals : decimals + 1);
    return QString::fromStdString(text);
}

QString RatioText(std::optional<double> ratio)
{
    return ratio ? QString::number(*ratio, 'f', 3) : QString();
}

QString IntervalText(const stats::TScoreComparison& c)
{
    if (!c.Low || !c.High) return {};
    return QStringLiteral("%1 .. %2").arg(RatioText(c.Low), RatioText(c.High));
}

QString SpreadText(const stats::TRunSummary& s)
{
    if (s.Runs == 0) return {};
    return QString::number(100 * s.Spread, 'f', 1) + QLatin1Char('%');
}

QString VerdictLabel(stats::TVerdict verdict)
{
    return QString::fromLatin1(stats::VerdictText(verdict));
}

QString VerdictHelp()
{
    return QStringLiteral(
        "faster, slower: a run of one machine tends to beat a run of the other at the 5% "
        "level (two-sided Brunner-Munzel test, which holds when one machine is noisier than "
        "the other) and the 95% interval of the ratio leaves 1 out; no difference: they do "
        "not, so the difference may be run-to-run noise, but a small real difference is not "
        "ruled out either; too few runs: a machine has fewer than 6 runs, and with so few a "
        "noisy machine's runs all fall on one side of a quiet machine's too often (take at "
        "least 6 runs of each machine, better 10, alternating the machines or at the same "
        "time of day); empty: either machine has no value of the score. The ratio is the "
        "median of the ratios of a run of the machine to a run of the reference; the ratio of "
        "the medians is shown beside it. A * marks a score that the log rounds to a step "
        "above 2% of its median.");
}

QString RatioMeaning(int score)
{
    return kScoreTable[static_cast<std::size_t>(score)].HigherIsBetter
               ? QStringLiteral("machine / reference")
               : QStringLiteral("reference / machine");
}

std::string MachineCsvHeader()
{
    std::string header =
        "description,label,runs,overall ratio,overall faster,overall slower,"
        "overall no difference,overall too few runs";
    for (const TScoreRow& row : kScoreTable)
        for (const char* part : {"runs", "median", "min", "max", "spread", "ratio", "low", "high",
                                 "median ratio", "p", "verdict", "rounded"})
            header += std::string(",") + row.Name + ' ' + part;
    return header + '\n';
}

void AppendMachineCsvRow(std::string& out, const TMachineTable& table, std::size_t machine)
{
    const TMachine& m = table.Grouping.Machines[machine];
    out += CsvField(Utf8(m.Description));
    out += ',';
    out += CsvField(Utf8(m.Label));
    out += ',';
    out += std::to_string(m.Runs());
    const TMachineResult& result = table.Results[machine];
    auto ratio = [&](std::optional<double> value) {
        out += ',';
        if (value) AppendFixed(out, *value, 4);
    };
    const stats::TOverall& o = result.Overall;
    ratio(machine == table.Reference ? std::optional<double>(1.0) : o.GeometricMean);
    for (int count :
         {o.Faster, o.Slower, o.NoDifference, o.Scores - o.Faster - o.Slower - o.NoDifference}) {
        out += ',';
        if (machine != table.Reference && o.GeometricMean) out += std::to_string(count);
    }
    for (std::size_t s = 0; s < kTableScoreCount; ++s) {
        const TScoreResult& r = result.Scores[s];
        const int decimals = kScoreTable[s].Decimals;
        out += ',';
        out += std::to_string(r.Runs.Runs);
        for (double value : {r.Runs.Median, r.Runs.Min, r.Runs.Max}) {
            out += ',';
            if (r.Runs.Runs > 0) out += Utf8(ValueText(value, decimals));
        }
        ratio(r.Runs.Runs > 0 ? std::optional<double>(r.Runs.Spread) : std::nullopt);
        ratio(r.Comparison.Ratio);
        ratio(r.Comparison.Low);
        ratio(r.Comparison.High);
        ratio(r.Comparison.MedianRatio);
        out += ',';
        if (r.Comparison.PValue) {
            char p[32];
            out.append(p, std::to_chars(p, p + sizeof p, *r.Comparison.PValue,
                                        std::chars_format::general, 4)
                              .ptr);
        }
        out += ',';
        out += stats::VerdictText(r.Comparison.Verdict);
        out += ',';
        if (r.Comparison.CoarseRounding) out += "rounded";
    }
    out += '\n';
}

QString TableHeading(const TMachineTable& table)
{
    const TGrouping& g = table.Grouping;
    QString heading =
        QStringLiteral("Logs: %1\nMachines by %2")
            .arg(g.LogNames.join(QStringLiteral(", ")),
                 g.By == TGroupBy::Description ? QStringLiteral("description and label")
                 : g.By == TGroupBy::File      ? QStringLiteral("log file")
                 : g.By == TGroupBy::Machine   ? QStringLiteral("host, processor and memory")
                                               : QStringLiteral("line"));
    if (g.QuietOnly) heading += QStringLiteral(", quiet runs only");
    if (!g.Machines.empty())
        heading += QStringLiteral("\nReference: %1. %2")
                       .arg(table.Reference + 1)
                       .arg(MachineTitle(g, table.Reference));
    return heading;
}

std::string MachineText(const TMachineTable& table)
{
    const TGrouping& g = table.Grouping;
    std::string text;
    // The logs' names wrapped at a terminal's width, the rest as it is.
    for (const QString& line : TableHeading(table).split(QLatin1Char('\n')))
        text += Utf8(WrappedLine(line, 79, QStringLiteral("      "))) + '\n';
    if (g.Machines.empty()) return text + "No result lines.\n";
    text +=
        "Ratios above 1 are better than the reference. The ratio is the median of the ratios\n"
        "of a run to a reference run; a difference is called only where the runs show one\n"
        "(Brunner-Munzel test, 5% level); see vesktest compare --help.\n";

    // The names once; the sections below give the machines' numbers only,
    // so that they fit a terminal's width.
    const bool byLine = g.By == TGroupBy::Line;
    TTextTable names({false, true, false, true});
    names.Add({QStringLiteral("#"), QStringLiteral("Machine"), QStringLiteral("Lines"),
               byLine ? QString() : QStringLiteral("First line")});
    TTextTable overall({false, false, false, false, false, false});
    overall.Add({QStringLiteral("#"), QStringLiteral("Ratio"), QStringLiteral("Faster"),
                 QStringLiteral("Slower"), QStringLiteral("No difference"),
                 QStringLiteral("Too few runs")});
    for (std::size_t m = 0; m < g.Machines.size(); ++m) {
        names.Add({MachineNumber(m), MachineTitle(g, m), QString::number(g.Machines[m].Runs()),
                   byLine ? QString() : FirstLineText(g, m)});
        const stats::TOverall& o = table.Results[m].Overall;
        QStringList row = {MachineNumber(m)};
        if (m == table.Reference)
            row << QStringLiteral("reference");
        else if (o.GeometricMean)
            row << RatioText(o.GeometricMean) << QString::number(o.Faster)
                << QString::number(o.Slower) << QString::number(o.NoDifference)
                << QString::number(o.Scores - o.Faster - o.Slower - o.NoDifference);
        overall.Add(row);
    }
    text += '\n' + names.Text();
    text += "\nOverall: geometric mean of the ratios of the scores both machines have\n";
    text += overall.Text();

    // A score no machine has (a test nobody ran) would be a section of
    // empty rows; it is named once instead.
    QStringList unmeasured;
    for (std::size_t s = 0; s < kTableScoreCount; ++s) {
        const TScoreRow& column = kScoreTable[s];
        if (!AnyRuns(table, s)) {
            unmeasured << QString::fromLatin1(column.Name);
            continue;
        }
        // One number of decimals for the whole section, so that the points
        // line up: one more than the log's where any median needs it.
        int decimals = column.Decimals;
        for (const TMachineResult& r : table.Results) {
            const stats::TRunSummary& runs = r.Scores[static_cast<std::size_t>(s)].Runs;
            if (runs.Runs > 0 && NeedsOneMore(runs.Median, column.Decimals))
                decimals = column.Decimals + 1;
        }
        const auto fixed = [decimals](double value) {
            std::string cell;
            AppendFixed(cell, value, decimals);
            return QString::fromStdString(cell);
        };
        bool rounded = false;
        TTextTable section({false, false, false, false, false, false, false, false, true});
        section.Add({QStringLiteral("#"), QStringLiteral("Runs"), QStringLiteral("Median"),
                     QStringLiteral("Min"), QStringLiteral("Max"), QStringLiteral("Spread"),
                     QStringLiteral("Ratio"), QStringLiteral("95% interval"),
                     QStringLiteral("Verdict")});
        for (std::size_t m = 0; m < g.Machines.size(); ++m) {
            const TScoreResult& r = table.Results[m].Scores[s];
            QStringList row = {MachineNumber(m), QString::number(r.Runs.Runs)};
            if (r.Runs.Runs > 0)
                row << fixed(r.Runs.Median) << fixed(r.Runs.Min) << fixed(r.Runs.Max)
                    << SpreadText(r.Runs);
            else
                row << QString() << QString() << QString() << QString();
            rounded = rounded || r.Comparison.CoarseRounding;
            row << RatioText(r.Comparison.Ratio) << IntervalText(r.Comparison)
                << VerdictLabel(r.Comparison.Verdict) +
                       (r.Comparison.CoarseRounding ? QStringLiteral(" *") : QString());
            section.Add(row);
        }
        text += '\n' + std::string(column.Name) + ": " + column.Title + " (" + column.Unit +
                "), ratio " + Utf8(RatioMeaning(static_cast<int>(s))) + '\n';
        text += section.Text();
        if (rounded)
            text +=
                "* The log rounds this score to a step above 2% of the median: the interval\n"
                "  is widened by the rounding, and a small difference cannot show.\n";
    }
    if (!unmeasured.isEmpty())
        text += "\nNo runs of " + Utf8(unmeasured.join(QStringLiteral(", "))) + ".\n";
    return text;
}

std::string RunsCsvHeader()
{
    std::string header = "log,line,description,label";
    for (const TScoreRow& row : kScoreTable) header += std::string(",") + row.Name;
    return header + '\n';
}

void AppendRunCsvRow(std::string& out, std::string_view logCell, const TLogLineReader::TLine& line)
{
    out += logCell;
    out += ',';
    out += std::to_string(line.Number);
    out += ',';
    out += CsvField(Cp1251ToUtf8(line.Fields.Description));
    out += ',';
    out += CsvField(Cp1251ToUtf8(line.Fields.DiskLabel));
    for (const TScoreRow& row : kScoreTable) {
        out += ',';
        if (const double value = line.Fields.Scores.*row.Value; value > 0)
            AppendFixed(out, value, row.Decimals);
    }
    out += '\n';
}

std::string RunsTextHeader(int logWidth)
{
    std::string header = Padded(QStringLiteral("Log"), logWidth, true) + "  " +
                         Padded(QStringLiteral("Line"), kLineWidth, false) + "  " +
                         Padded(QStringLiteral("Description"), kDescriptionWidth, true) + "  " +
                         Padded(QStringLiteral("Label"), kDiskLabelWidth, true);
    for (std::size_t s = 0; s < kTableScoreCount; ++s) header += "  " + Utf8(RunTitle(s));
    return header + '\n';
}

void AppendRunTextRow(std::string& out, std::string_view logCell, const TLogLineReader::TLine& line)
{
    out += logCell;
    out += "  ";
    const std::string number = std::to_string(line.Number);
    out.append(kLineWidth - std::min<std::size_t>(kLineWidth, number.size()), ' ');
    out += number;
    // One byte is one character in Windows-1251, so the texts are padded
    // before they are converted.
    for (const auto& [text, width] : {std::pair{line.Fields.Description, kDescriptionWidth},
                                      std::pair{line.Fields.DiskLabel, kDiskLabelWidth}}) {
        out += "  ";
        out += Cp1251ToUtf8(text);
        out.append(width - std::min(width, text.size()), ' ');
    }
    static const std::array<std::size_t, kTableScoreCount> widths = [] {
        std::array<std::size_t, kTableScoreCount> w{};
        for (std::size_t s = 0; s < kTableScoreCount; ++s)
            w[s] = static_cast<std::size_t>(RunTitle(s).size());
        return w;
    }();
    for (std::size_t s = 0; s < kTableScoreCount; ++s) {
        out += "  ";
        std::string cell;
        if (const double value = line.Fields.Scores.*kScoreTable[s].Value; value > 0)
            AppendFixed(cell, value, kScoreTable[s].Decimals);
        const std::size_t width = widths[s];
        out.append(width - std::min(width, cell.size()), ' ');
        out += cell;
    }
    out.erase(out.find_last_not_of(' ') + 1);
    out += '\n';
}

}  // namespace vt
