#include "compare/compare.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <memory>

#include "app/display.h"
#include "compare/compare_table.h"
#include "compare/compare_window.h"
#include "results/log_location.h"

namespace vt {

namespace {

void Print(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

}  // namespace

int RunCompare(int argc, char** argv)
{
    // The options are read before any application object exists, since the
    // text and CSV output need no display.
    QStringList arguments = {QStringLiteral("vesktest compare")};
    for (int i = 2; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Compares the result lines of results logs (the log beside the executable when none "
        "is given)."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption text(QStringLiteral("text"),
                                  QStringLiteral("Print the table to standard output."));
    const QCommandLineOption csv(QStringLiteral("csv"),
                                 QStringLiteral("Print the table as CSV to standard output."));
    parser.addOptions({help, text, csv});
    parser.addPositionalArgument(QStringLiteral("LOG"), QStringLiteral("Results logs to compare."),
                                 QStringLiteral("[LOG...]"));
    if (!parser.parse(arguments)) {
        Print(stderr, QStringLiteral("vesktest compare: %1\n").arg(parser.errorText()));
        return 2;
    }
    if (parser.isSet(help)) {
        Print(stdout, parser.helpText());
        return 0;
    }
    if (parser.isSet(text) && parser.isSet(csv)) {
        Print(stderr, QStringLiteral("vesktest compare: --text and --csv exclude each other\n"));
        return 2;
    }
    const bool console = parser.isSet(text) || parser.isSet(csv);
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
        TCompareWindow window;
        window.show();
        window.AddLogs(logs);
        return app->exec();
    }

    std::vector<TCompareRow> rows;
    int status = 0;
    for (const QString& path : logs) {
        TLoadedLog log = LoadLog(path);
        if (!log.Error.isEmpty()) {
            Print(stderr, QStringLiteral("vesktest compare: %1: %2\n").arg(path, log.Error));
            status = 1;
            continue;
        }
        const QString summary = SkippedSummary(log);
        if (!summary.isEmpty()) Print(stderr, summary + QLatin1Char('\n'));
        std::vector<TCompareRow> more = RowsOf(std::move(log));
        rows.insert(rows.end(), std::make_move_iterator(more.begin()),
                    std::make_move_iterator(more.end()));
    }
    if (status != 0) return status;
    Print(stdout, parser.isSet(csv) ? CompareCsv(rows) : CompareText(rows));
    return 0;
}

}  // namespace vt
