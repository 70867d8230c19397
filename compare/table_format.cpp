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
QString RunTitle(int score)
{
    const TScoreColumn& column = ScoreColumns()[static_cast<std::size_t>(score)];
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
        "faster, slower: the runs of the two machines differ at the 5% level (two-sided "
        "Mann-Whitney U test); no difference: they do not, so the difference of the medians "
        "may be run-to-run noise, but a small real difference is not ruled out either; "
        "too few runs: even runs that do not overlap at all could not show a difference with "
        "so few runs (1 against 8, 2 against 5 or 3 against 3 cannot; take at least 4 runs of "
        "each machine, better 8); empty: either machine has no value of the score.");
}

QString RatioMeaning(int score)
{
    return ScoreColumns()[static_cast<std::size_t>(score)].HigherIsBetter
               ? QStringLiteral("machine / reference")
               : QStringLiteral("reference / machine");
}

std::string MachineCsvHeader()
{
    std::string header = "description,label,runs";
    for (const char* name : kScoreNames)
        for (const char* part : {"median", "min", "max", "ratio", "low", "high", "verdict"})
            header += std::string(",") + name + ' ' + part;
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
    for (int s = 0; s < kScoreCount; ++s) {
        const TScoreResult& r = result.Scores[static_cast<std::size_t>(s)];
        const int decimals = ScoreColumns()[static_cast<std::size_t>(s)].Decimals;
        for (double value : {r.Runs.Median, r.Runs.Min, r.Runs.Max}) {
            out += ',';
            if (r.Runs.Runs > 0) out += Utf8(ValueText(value, decimals));
        }
        ratio(r.Comparison.Ratio);
        ratio(r.Comparison.Low);
        ratio(r.Comparison.High);
        out += ',';
        out += stats::VerdictText(r.Comparison.Verdict);
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
                                               : QStringLiteral("line"));
    if (!g.Machines.empty())
        heading += QStringLiteral("\nReference: %1. %2")
                       .arg(table.Reference + 1)
                       .arg(MachineTitle(g, table.Reference));
    return heading;
}

std::string MachineText(const TMachineTable& table)
{
    const TGrouping& g = table.Grouping;
    std::string text = Utf8(TableHeading(table)) + '\n';
    if (g.Machines.empty()) return text + "No result lines.\n";
    text +=
        "Ratios above 1 are better than the reference. A difference is called only where\n"
        "the runs show one (Mann-Whitney U test, 5% level); see vesktest compare --help.\n";

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
    for (int s = 0; s < kScoreCount; ++s) {
        const TScoreColumn& column = ScoreColumns()[static_cast<std::size_t>(s)];
        const bool measured =
            std::any_of(table.Results.begin(), table.Results.end(), [s](const TMachineResult& r) {
                return r.Scores[static_cast<std::size_t>(s)].Runs.Runs > 0;
            });
        if (!measured) {
            unmeasured << QString::fromLatin1(kScoreNames[static_cast<std::size_t>(s)]);
            continue;
        }
        TTextTable section({false, false, false, false, false, false, false, false, true});
        section.Add({QStringLiteral("#"), QStringLiteral("Runs"), QStringLiteral("Median"),
                     QStringLiteral("Min"), QStringLiteral("Max"), QStringLiteral("Spread"),
                     QStringLiteral("Ratio"), QStringLiteral("95% interval"),
                     QStringLiteral("Verdict")});
        for (std::size_t m = 0; m < g.Machines.size(); ++m) {
            const TScoreResult& r = table.Results[m].Scores[static_cast<std::size_t>(s)];
            QStringList row = {MachineNumber(m), QString::number(r.Runs.Runs)};
            if (r.Runs.Runs > 0)
                row << ValueText(r.Runs.Median, column.Decimals)
                    << ValueText(r.Runs.Min, column.Decimals)
                    << ValueText(r.Runs.Max, column.Decimals) << SpreadText(r.Runs);
            else
                row << QString() << QString() << QString() << QString();
            row << RatioText(r.Comparison.Ratio) << IntervalText(r.Comparison)
                << VerdictLabel(r.Comparison.Verdict);
            section.Add(row);
        }
        text += '\n' + std::string(kScoreNames[static_cast<std::size_t>(s)]) + ": " + column.Title +
                " (" + column.Unit + "), ratio " + Utf8(RatioMeaning(s)) + '\n';
        text += section.Text();
    }
    if (!unmeasured.isEmpty())
        text += "\nNo runs of " + Utf8(unmeasured.join(QStringLiteral(", "))) + ".\n";
    return text;
}

std::string RunsCsvHeader()
{
    std::string header = "log,line,description,label";
    for (const char* name : kScoreNames) header += std::string(",") + name;
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
    for (int s = 0; s < kScoreCount; ++s) {
        out += ',';
        const double value = line.Fields.Scores.*kScoreMembers[static_cast<std::size_t>(s)];
        if (value > 0)
            AppendFixed(out, value, ScoreColumns()[static_cast<std::size_t>(s)].Decimals);
    }
    out += '\n';
}

std::string RunsTextHeader(int logWidth)
{
    std::string header = Padded(QStringLiteral("Log"), logWidth, true) + "  " +
                         Padded(QStringLiteral("Line"), kLineWidth, false) + "  " +
                         Padded(QStringLiteral("Description"), kDescriptionWidth, true) + "  " +
                         Padded(QStringLiteral("Label"), kDiskLabelWidth, true);
    for (int s = 0; s < kScoreCount; ++s) header += "  " + Utf8(RunTitle(s));
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
    for (int s = 0; s < kScoreCount; ++s) {
        out += "  ";
        const double value = line.Fields.Scores.*kScoreMembers[static_cast<std::size_t>(s)];
        std::string cell;
        if (value > 0)
            AppendFixed(cell, value, ScoreColumns()[static_cast<std::size_t>(s)].Decimals);
        static const std::array<std::size_t, kScoreCount> widths = [] {
            std::array<std::size_t, kScoreCount> w{};
            for (int i = 0; i < kScoreCount; ++i)
                w[static_cast<std::size_t>(i)] = static_cast<std::size_t>(RunTitle(i).size());
            return w;
        }();
        const std::size_t width = widths[static_cast<std::size_t>(s)];
        out.append(width - std::min(width, cell.size()), ' ');
        out += cell;
    }
    out.erase(out.find_last_not_of(' ') + 1);
    out += '\n';
}

}  // namespace vt
