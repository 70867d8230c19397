#include "compare/compare_table.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "platform/cp1251.h"

namespace vt {

TLoadedLog LoadLog(const QString& path)
{
    TLoadedLog log;
    log.Path = path;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        log.Error = file.errorString();
        return log;
    }
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        log.Error = file.errorString();
        return log;
    }
    TParsedLog parsed = ParseResultsLog(
        std::string_view(content.constData(), static_cast<std::size_t>(content.size())));
    log.Records = std::move(parsed.Records);
    log.SkippedLines = std::move(parsed.SkippedLines);
    return log;
}

QString SkippedSummary(const TLoadedLog& log)
{
    const QString name = QFileInfo(log.Path).fileName();
    if (!log.Error.isEmpty()) return QStringLiteral("%1: cannot be read: %2").arg(name, log.Error);
    const std::size_t n = log.SkippedLines.size();
    if (n == 0) return {};
    QStringList numbers;
    constexpr std::size_t kShown = 10;
    for (std::size_t i = 0; i < std::min(n, kShown); ++i)
        numbers << QString::number(log.SkippedLines[i]);
    if (n > kShown) numbers << QStringLiteral("...");
    return QStringLiteral("%1: %2 %3 skipped (%4)")
        .arg(name)
        .arg(n)
        .arg(n == 1 ? QStringLiteral("line") : QStringLiteral("lines"), numbers.join(", "));
}

std::vector<TCompareRow> RowsOf(TLoadedLog&& log)
{
    std::vector<TCompareRow> rows;
    rows.reserve(log.Records.size());
    const QString name = QFileInfo(log.Path).fileName();
    for (TResultRecord& record : log.Records) rows.push_back({name, std::move(record)});
    log.Records.clear();
    return rows;
}

const std::array<TScoreColumn, kScoreCount>& ScoreColumns()
{
    static const std::array<TScoreColumn, kScoreCount> columns = {{
        {&TScores::ListCreateTime, "List creation", "s", 2, true},
        {&TScores::SortTime, "Sorting", "s", 3, true},
        {&TScores::SortOutputTime, "Sort + output", "s", 2, true},
        {&TScores::FillMemSpeed, "Memory fill", "MiB/s", 0, false},
        {&TScores::ReadMemSpeed, "Memory read", "MiB/s", 0, false},
        {&TScores::CyclesPerSec, "Cycles", "M/s", 1, false},
        {&TScores::DrawTime, "Ellipses", "s", 2, true},
        {&TScores::HddSpeed, "HDD speed", "MiB/s", 1, false},
    }};
    return columns;
}

QStringList ColumnTitles()
{
    QStringList titles = {QStringLiteral("File"), QStringLiteral("Description"),
                          QStringLiteral("Label")};
    for (const TScoreColumn& c : ScoreColumns())
        titles << QStringLiteral("%1 (%2)").arg(QLatin1String(c.Title), QLatin1String(c.Unit));
    return titles;
}

std::optional<double> ScoreValue(const TScores& scores, int score)
{
    const double value = scores.*ScoreColumns()[static_cast<std::size_t>(score)].Score;
    if (!(value > 0)) return std::nullopt;
    return value;
}

std::optional<double> RelativeScore(std::optional<double> value, std::optional<double> reference,
                                    bool isTime)
{
    if (!value || !reference) return std::nullopt;
    return isTime ? *reference / *value : *value / *reference;
}

QString CellText(const TCompareRow& row, int column)
{
    switch (column) {
        case 0:
            return row.File;
        case 1:
            return QString::fromStdString(Cp1251ToUtf8(row.Record.Description));
        case 2:
            return QString::fromStdString(Cp1251ToUtf8(row.Record.DiskLabel));
        default:
            break;
    }
    const int score = column - kFixedColumns;
    const auto value = ScoreValue(row.Record.Scores, score);
    if (!value) return {};
    return QString::number(*value, 'f', ScoreColumns()[static_cast<std::size_t>(score)].Decimals);
}

namespace {

QString CsvField(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

}  // namespace

QString CompareCsv(const std::vector<TCompareRow>& rows)
{
    QString csv;
    QStringList fields;
    for (const QString& title : ColumnTitles()) fields << CsvField(title);
    csv += fields.join(QLatin1Char(',')) + QLatin1Char('\n');
    for (const TCompareRow& row : rows) {
        fields.clear();
        for (int column = 0; column < kColumnCount; ++column)
            fields << CsvField(CellText(row, column));
        csv += fields.join(QLatin1Char(',')) + QLatin1Char('\n');
    }
    return csv;
}

QString CompareText(const std::vector<TCompareRow>& rows)
{
    const QStringList titles = ColumnTitles();
    std::vector<qsizetype> widths;
    for (const QString& title : titles) widths.push_back(title.size());
    std::vector<QStringList> cells;
    cells.reserve(rows.size());
    for (const TCompareRow& row : rows) {
        QStringList line;
        for (int column = 0; column < kColumnCount; ++column) {
            line << CellText(row, column);
            widths[static_cast<std::size_t>(column)] =
                std::max(widths[static_cast<std::size_t>(column)], line.back().size());
        }
        cells.push_back(std::move(line));
    }
    // Texts on the left, numbers on the right of their columns.
    auto format = [&](const QStringList& line) {
        QStringList padded;
        for (int column = 0; column < kColumnCount; ++column) {
            const auto w = widths[static_cast<std::size_t>(column)];
            padded << (column < kFixedColumns ? line[column].leftJustified(w)
                                              : line[column].rightJustified(w));
        }
        return padded.join(QLatin1String("  ")).trimmed() + QLatin1Char('\n');
    };
    QString text = format(titles);
    for (const QStringList& line : cells) text += format(line);
    return text;
}

}  // namespace vt
