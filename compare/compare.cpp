#include "compare/compare.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/display.h"
#include "compare/compare_options.h"
#include "compare/compare_window.h"
#include "compare/machine_table.h"
#include "compare/table_format.h"
#include "results/log_location.h"

namespace vt {

namespace {

// Skipped lines named one by one on standard error, per log.
constexpr std::size_t kShownSkipped = 20;

void Print(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

int Bad(const QString& reason)
{
    Print(stderr,
          QStringLiteral("vesktest compare: %1\n").arg(reason) + QLatin1String(CompareUsage()));
    return 2;
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
        if (!error.isEmpty()) status = 1;
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
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const TCompareCommand command = ParseCompareOptions(arguments);
    if (command.Kind == TCompareCommand::TKind::Bad) return Bad(command.Reason);
    if (command.Kind == TCompareCommand::TKind::Help) {
        QCoreApplication app(argc, argv);
        Print(stdout,
              CompareHelp(QString::fromStdString(ResultsLogPath(
                  QCoreApplication::applicationDirPath().toStdString() + "/", LogUse::Read))));
        return 0;
    }
    const TCompareOptions& o = command.Options;
    const bool console = o.Console();

    std::unique_ptr<QCoreApplication> app;
    if (console)
        app = std::make_unique<QCoreApplication>(argc, argv);
    else
        app = OpenApplication(argc, argv, TDisplayUse::Window, "vesktest compare",
                              "without a display, use 'vesktest compare --text' or '--csv'");
    if (!app) return 1;
    QStringList logs = o.Logs;
    if (logs.isEmpty())
        logs << QString::fromStdString(ResultsLogPath(
            QCoreApplication::applicationDirPath().toStdString() + "/", LogUse::Read));

    if (!console) {
        TCompareWindow window(o.GroupBy);
        if (o.Reference) window.ChooseReference(*o.Reference);
        window.show();
        window.AddLogs(logs);
        return app->exec();
    }

    QStringList repeated, messages;
    logs = LogsToRead(logs, {}, repeated);
    for (const QString& path : repeated)
        messages << QStringLiteral("%1: named more than once, read once").arg(path);
    int status = 0;
    const bool csv = o.Output == TCompareOutput::Csv;
    if (o.Runs) {
        status = PrintRuns(logs, csv, messages);
    } else {
        TLogList list;
        for (const QString& path : logs) list.push_back(LoadLogRuns(path));
        TGrouping grouping = GroupMachines(list, o.GroupBy);
        for (std::size_t i = 0; i < list.size(); ++i) {
            const TLogRuns& log = *list[i];
            if (!log.Error.isEmpty()) status = 1;
            messages << LogMessages(grouping.LogNames[static_cast<qsizetype>(i)], log.Error,
                                    log.Skipped, log.Lines.size(), kShownSkipped);
        }
        std::size_t chosen = 0;
        if (o.Reference) {
            QString error;
            const auto found = FindMachine(grouping, *o.Reference, error);
            if (!found) {
                for (const QString& m : messages) Print(stderr, m + QLatin1Char('\n'));
                return Bad(QStringLiteral("--reference: ") + error);
            }
            chosen = *found;
        }
        const TMachineTable table = CompareMachines(std::move(list), std::move(grouping), chosen);
        TOutput output;
        std::string out;
        if (csv) {
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
