#include "compare/compare.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <unordered_map>

#include "app/display.h"
#include "compare/compare_options.h"
#include "compare/compare_window.h"
#include "compare/machine_table.h"
#include "compare/run_conditions_format.h"
#include "compare/table_format.h"
#include "results/csv.h"
#include "results/log_location.h"
#include "results/records_log.h"

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

// The folder of each log, for pairing a results log with the records log
// beside it.
std::vector<QString> Folders(const QStringList& paths)
{
    std::vector<QString> folders;
    for (const QString& path : paths) folders.push_back(QFileInfo(LogIdentity(path)).path());
    return folders;
}

// `--runs`: every run as it is read, nothing kept but, where a folder's
// results log and records log are both named, the record lines' hashes.
int PrintRuns(const QStringList& paths, bool csv, bool quietOnly, QStringList& messages)
{
    const QStringList names = ShortestLogNames(paths);
    int width = 3;
    for (const QString& name : names) width = std::max(width, static_cast<int>(name.size()));
    const std::vector<QString> folders = Folders(paths);
    std::map<QString, std::unordered_map<std::uint64_t, std::uint32_t>> claims;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const auto sharing =
            std::count(folders.begin(), folders.end(), folders[static_cast<std::size_t>(i)]);
        if (sharing < 2) continue;
        auto& claimed = claims[folders[static_cast<std::size_t>(i)]];
        ReadLogLines(paths[i],
                     [&](const TLogLineReader::TLine&, const TRunRecord* record, std::string_view) {
                         if (record && !record->Line.empty())
                             ++claimed[ResultLineHash(record->Line)];
                     });
    }
    TOutput output;
    std::string header = csv ? RunsCsvHeader() : RunsTextHeader(width);
    header.pop_back();
    const std::size_t rowWidth = header.size();
    std::string out = header + (csv ? ConditionsCsvHeader() : ConditionsTextHeader()) + '\n';
    int status = 0;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const std::string cell = csv ? CsvField(names[i].toStdString())
                                     : names[i].leftJustified(width).toUtf8().toStdString();
        const auto found = claims.find(folders[static_cast<std::size_t>(i)]);
        auto* claimed = found == claims.end() ? nullptr : &found->second;
        std::vector<TSkippedLine> skipped;
        std::size_t results = 0, paired = 0, leftOut = 0;
        const QString error = ReadLogLines(
            paths[i],
            [&](const TLogLineReader::TLine& line, const TRunRecord* record, std::string_view raw) {
                if (line.Kind == TLogLineReader::TKind::Skipped)
                    skipped.push_back({line.Number, line.Fields.Fault, line.Fields.Field});
                if (line.Kind != TLogLineReader::TKind::Result) return;
                ++results;
                if (!record && claimed) {
                    const auto at = claimed->find(ResultLineHash(raw));
                    if (at != claimed->end() && at->second > 0) {
                        --at->second;
                        ++paired;
                        return;
                    }
                }
                const TRunConditions* conditions =
                    record && record->Conditions ? &*record->Conditions : nullptr;
                if (quietOnly && conditions && !conditions->Quiet) {
                    ++leftOut;
                    return;
                }
                const std::size_t start = out.size();
                if (csv)
                    AppendRunCsvRow(out, cell, line);
                else
                    AppendRunTextRow(out, cell, line);
                out.pop_back();
                if (csv) {
                    AppendConditionsCsv(out, conditions);
                } else if (conditions) {
                    out.resize(std::max(out.size(), start + rowWidth), ' ');
                    AppendConditionsText(out, conditions);
                }
                out += '\n';
                if (out.size() > (1 << 20)) output.Write(out);
            });
        if (!error.isEmpty() || results == 0) status = 1;
        messages << LogMessages(names[i], error, skipped, results, kShownSkipped);
        if (paired > 0)
            messages << QStringLiteral("%1: %2 lines counted once, as their records")
                            .arg(names[i])
                            .arg(paired);
        if (leftOut > 0)
            messages
                << QStringLiteral("%1: %2 runs not quiet, left out").arg(names[i]).arg(leftOut);
    }
    output.Write(out);
    return std::max(status, output.Close());
}

// The program's own logs: the results log, and the records log beside it
// where there is one.
QStringList OwnLogs()
{
    const QString results = QString::fromStdString(
        ResultsLogPath(QCoreApplication::applicationDirPath().toStdString() + "/", LogUse::Read));
    QStringList logs = {results};
    const QString records =
        QString::fromStdString(RecordsLogPathBeside(QFile::encodeName(results).toStdString()));
    if (QFileInfo::exists(records)) logs << records;
    return logs;
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
    if (logs.isEmpty()) logs = OwnLogs();

    if (!console) {
        TCompareWindow window(o.GroupBy);
        window.SetQuietOnly(o.QuietOnly);
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
        status = PrintRuns(logs, csv, o.QuietOnly, messages);
    } else {
        TLogList list;
        for (const QString& path : logs) list.push_back(LoadLogRuns(path));
        TGrouping grouping = GroupMachines(list, o.GroupBy, o.QuietOnly);
        for (std::size_t i = 0; i < list.size(); ++i) {
            const TLogRuns& log = *list[i];
            // A log without result lines fails as an unreadable one does, so
            // that a script can tell.
            if (!log.Error.isEmpty() || log.Lines.empty()) status = 1;
            messages << LogMessages(grouping.LogNames[static_cast<qsizetype>(i)], log.Error,
                                    log.Skipped, log.Lines.size(), kShownSkipped);
        }
        if (grouping.Paired > 0)
            messages << QStringLiteral("%1 result lines counted once, as their records")
                            .arg(grouping.Paired);
        messages << QuietMessages(grouping);
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
