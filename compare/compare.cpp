#include "compare/compare.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/display.h"
#include "compare/compare_window.h"
#include "compare/machine_table.h"
#include "compare/table_format.h"
#include "results/log_location.h"

namespace vt {

namespace {

constexpr const char* kUsage =
    "Usage: vesktest compare [--text | --csv] [--reference NAME|N]\n"
    "                        [--group-by description|file|line] [--runs] [LOG...]\n";

// Skipped lines named one by one on standard error, per log.
constexpr std::size_t kShownSkipped = 20;

void Print(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

int Bad(const QString& reason)
{
    Print(stderr, QStringLiteral("vesktest compare: %1\n").arg(reason) + QLatin1String(kUsage));
    return 2;
}

// `text` broken into lines of at most `width` characters after `indent`.
QString Wrapped(const QString& text, int width, const QString& indent)
{
    QString out, line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && indent.size() + line.size() + 1 + word.size() > width) {
            out += indent + line + QLatin1Char('\n');
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    if (!line.isEmpty()) out += indent + line + QLatin1Char('\n');
    return out;
}

QString HelpText(const QString& defaultLog)
{
    return QLatin1String(kUsage) + QStringLiteral(R"(
Compares results logs machine by machine. The result lines with the same
description and disk label are the runs of one machine; for every score the
table gives each machine's runs, their median, smallest and largest value and
spread ((largest - smallest) / median), and against the reference machine the
ratio (the median of the ratios of a run to a reference run; above 1 is
better: times are inverted), its 95% interval, the ratio of the medians and
a verdict. Without --text or --csv the Compare window opens.

With no LOG it reads the results log )") +
           defaultLog + QStringLiteral(R"(
(beside the program where that folder can be written, else in the user's
data folder, $XDG_DATA_HOME/vesktest or ~/.local/share/vesktest).

Options:
  --text                 Print the machine table on standard output.
  --csv                  Print it as CSV (UTF-8, "." as decimal separator):
                         description, label, runs, the overall ratio and
                         its counts of faster, slower, no difference and
                         too few runs, then for every score its runs,
                         median, min, max, spread, ratio, low, high,
                         median ratio, p, verdict and "rounded" (the log's
                         rounding is above 2% of a median).
  --reference NAME|N     The machine the others are compared with: its
                         number in the table, its description (a trailing
                         "/" may be left out), or description/label. A
                         number is always a number: name a machine
                         described as "2" as "2/". Default: the first
                         machine.
  --group-by KEY         What makes a machine: description (the same
                         description and label, the default), file (one per
                         log) or line (every line on its own).
  --runs                 Print every result line instead, with its log and
                         line number (with --text or --csv).
  -h, --help             Show this help.

Verdicts:
)") + Wrapped(VerdictHelp(), 78, QStringLiteral("  ")) +
           QStringLiteral(R"(
Lines that are not result lines are named with the reason on standard error.
A LOG of "-" is standard input.

Exit status: 0 done; 1 a log could not be read or holds no result lines
(what could be read is still shown); 2 a bad command line.
)");
}

// Standard output, checked: a failed write is an error of the command.
class TOutput {
public:
    void Write(std::string& text)
    {
        if (!text.empty() && std::fwrite(text.data(), 1, text.size(), stdout) != text.size())
            Failed();
        text.clear();
    }
    // Returns 0 or, when standard output could not take everything, 1
    // after saying so.
    int Close()
    {
        if (std::fflush(stdout) != 0 || std::ferror(stdout)) Failed();
        if (error_ == 0) return 0;
        std::fprintf(stderr, "vesktest compare: standard output: %s\n", std::strerror(error_));
        return 1;
    }

private:
    void Failed()
    {
        if (error_ == 0) error_ = errno != 0 ? errno : EIO;
    }
    int error_ = 0;
};

// `--runs`: every result line as it is read, nothing kept.
int PrintRuns(const QStringList& paths, bool csv, QStringList& messages)
{
    const QStringList names = ShortestLogNames(paths);
    int width = 3;
    for (const QString& name : names) width = std::max(width, static_cast<int>(name.size()));
    TOutput output;
    std::string out = csv ? RunsCsvHeader() : RunsTextHeader(width);
    int status = 0;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const std::string cell = csv ? CsvField(names[i].toStdString())
                                     : names[i].leftJustified(width).toUtf8().toStdString();
        std::vector<TSkippedLine> skipped;
        std::size_t results = 0;
        const QString error = ReadLogLines(paths[i], [&](const TLogLineReader::TLine& line) {
            if (line.Kind == TLogLineReader::TKind::Skipped)
                skipped.push_back({line.Number, line.Fields.Fault, line.Fields.Field});
            if (line.Kind != TLogLineReader::TKind::Result) return;
            ++results;
            if (csv)
                AppendRunCsvRow(out, cell, line);
            else
                AppendRunTextRow(out, cell, line);
            if (out.size() > (1 << 20)) output.Write(out);
        });
        if (!error.isEmpty() || results == 0) status = 1;
        messages << LogMessages(names[i], error, skipped, results, kShownSkipped);
    }
    output.Write(out);
    return std::max(status, output.Close());
}

}  // namespace

int RunCompare(int argc, char** argv)
{
    // The options are read before any application object exists, since the
    // text and CSV output need no display.
    QStringList arguments = {QStringLiteral("vesktest compare")};
    for (int i = 2; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption text(QStringLiteral("text"), QString());
    const QCommandLineOption csv(QStringLiteral("csv"), QString());
    const QCommandLineOption runs(QStringLiteral("runs"), QString());
    const QCommandLineOption reference(QStringLiteral("reference"), QString(),
                                       QStringLiteral("NAME"));
    const QCommandLineOption groupBy(QStringLiteral("group-by"), QString(), QStringLiteral("KEY"));
    parser.addOptions({help, text, csv, runs, reference, groupBy});
    if (!parser.parse(arguments)) return Bad(parser.errorText());
    if (parser.isSet(help)) {
        QCoreApplication app(argc, argv);
        Print(stdout,
              HelpText(QString::fromStdString(ResultsLogPath(
                  QCoreApplication::applicationDirPath().toStdString() + "/", LogUse::Read))));
        return 0;
    }
    for (const QCommandLineOption& once : {reference, groupBy})
        if (parser.values(once).size() > 1)
            return Bad(QStringLiteral("--%1 is given more than once").arg(once.names().first()));
    if (parser.isSet(text) && parser.isSet(csv))
        return Bad(QStringLiteral("--text and --csv exclude each other"));
    const bool console = parser.isSet(text) || parser.isSet(csv);
    if (parser.isSet(runs) && !console) return Bad(QStringLiteral("--runs needs --text or --csv"));
    if (parser.isSet(runs) && (parser.isSet(reference) || parser.isSet(groupBy)))
        return Bad(
            QStringLiteral("--runs lists lines; --reference and --group-by are for machines"));
    TGroupBy by = TGroupBy::Description;
    if (parser.isSet(groupBy)) {
        const auto chosen = GroupByFromWord(parser.value(groupBy));
        if (!chosen)
            return Bad(QStringLiteral("no grouping '%1' (description, file or line)")
                           .arg(parser.value(groupBy)));
        by = *chosen;
    }

    std::unique_ptr<QCoreApplication> app;
    if (console)
        app = std::make_unique<QCoreApplication>(argc, argv);
    else
        app = OpenApplication(argc, argv, TDisplayUse::Window, "vesktest compare",
                              "without a display, use 'vesktest compare --text' or '--csv'");
    if (!app) return 1;
    QStringList logs = parser.positionalArguments();
    if (logs.isEmpty())
        logs << QString::fromStdString(ResultsLogPath(
            QCoreApplication::applicationDirPath().toStdString() + "/", LogUse::Read));

    if (!console) {
        TCompareWindow window(by);
        if (parser.isSet(reference)) window.ChooseReference(parser.value(reference));
        window.show();
        window.AddLogs(logs);
        return app->exec();
    }

    QStringList repeated, messages;
    logs = LogsToRead(logs, {}, repeated);
    for (const QString& path : repeated)
        messages << QStringLiteral("%1: named more than once, read once").arg(path);
    int status = 0;
    if (parser.isSet(runs)) {
        status = PrintRuns(logs, parser.isSet(csv), messages);
    } else {
        TLogList list;
        for (const QString& path : logs) list.push_back(LoadLogRuns(path));
        TGrouping grouping = GroupMachines(list, by);
        for (std::size_t i = 0; i < list.size(); ++i) {
            const TLogRuns& log = *list[i];
            // A log without result lines fails as an unreadable one does, so
            // that a script can tell.
            if (!log.Error.isEmpty() || log.Lines.empty()) status = 1;
            messages << LogMessages(grouping.LogNames[static_cast<qsizetype>(i)], log.Error,
                                    log.Skipped, log.Lines.size(), kShownSkipped);
        }
        std::size_t chosen = 0;
        if (parser.isSet(reference)) {
            QString error;
            const auto found = FindMachine(grouping, parser.value(reference), error);
            if (!found) {
                for (const QString& m : messages) Print(stderr, m + QLatin1Char('\n'));
                return Bad(QStringLiteral("--reference: ") + error);
            }
            chosen = *found;
        }
        const TMachineTable table = CompareMachines(std::move(list), std::move(grouping), chosen);
        TOutput output;
        std::string out;
        if (parser.isSet(csv)) {
            out = MachineCsvHeader();
            for (std::size_t m = 0; m < table.Results.size(); ++m) {
                AppendMachineCsvRow(out, table, m);
                if (out.size() > (1 << 20)) output.Write(out);
            }
        } else {
            out = MachineText(table);
        }
        output.Write(out);
        status = std::max(status, output.Close());
    }
    for (const QString& m : messages) Print(stderr, m + QLatin1Char('\n'));
    return status;
}

}  // namespace vt
