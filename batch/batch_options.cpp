#include "batch/batch_options.h"

#include <QCommandLineParser>
#include <QFile>
#include <algorithm>

#include "app/qt_text.h"

namespace vt {

namespace {

const QString kTests = QStringLiteral("tests");
const QString kFile = QStringLiteral("file");
const QString kMemory = QStringLiteral("memory");
const QString kShapes = QStringLiteral("shapes");
const QString kDescription = QStringLiteral("description");
const QString kLabel = QStringLiteral("label");
const QString kSave = QStringLiteral("save");
const QString kLog = QStringLiteral("log");
const QString kFormat = QStringLiteral("format");

TBatchCommand Bad(const QString& reason)
{
    TBatchCommand command;
    command.Kind = TBatchCommand::TKind::Bad;
    command.Text = "vesktest batch: " + reason.toStdString() + "\n" + BatchUsage();
    return command;
}

}  // namespace

const char* BatchUsage()
{
    return "Usage: vesktest batch [--tests 1,2,3,4,5] [--file PATH] [--memory MIB] [--shapes N]\n"
           "                      [--description TEXT] [--label TEXT] [--save [--log PATH]]\n"
           "                      [--format line|csv|json]   (--help for more)\n";
}

TBatchCommand ParseBatchOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Runs the tests without the window and writes the result line on standard output.\n"
        "Tests: 1 Create and Sort Lists, 2 10^9 Cycles, 3 Draw Shapes, 4 HDD Speed (File\n"
        "Reading), 5 FillChar & ReadChar. Exit status: 0 done, 1 a test failed, 2 a bad\n"
        "command line, 130 or 143 stopped by SIGINT or SIGTERM (nothing is saved then)."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addOptions({
        {kTests,
         QStringLiteral(
             "The tests to run, in this order (default 1,2,3,5, and 4 too with --file)."),
         QStringLiteral("LIST")},
        {kFile, QStringLiteral("The file test 4 reads (more than 1 MiB, on a disk)."),
         QStringLiteral("PATH")},
        {kMemory, QStringLiteral("The block of test 5 in MiB (default half the physical memory)."),
         QStringLiteral("MIB")},
        {kShapes, QStringLiteral("The ellipse count of test 3 (default 10000)."),
         QStringLiteral("N")},
        {kDescription,
         QStringLiteral("The result line's description (default vendor and clock, then /)."),
         QStringLiteral("TEXT")},
        {kLabel, QStringLiteral("The result line's disk label (default the disk size, then gb/)."),
         QStringLiteral("TEXT")},
        {kSave, QStringLiteral("Append the result line to the results log.")},
        {kLog,
         QStringLiteral("The results log to append to (default Result3.txt beside the program)."),
         QStringLiteral("PATH")},
        {kFormat, QStringLiteral("What standard output carries: line (default), csv or json."),
         QStringLiteral("FORMAT")},
    });

    // The parser takes the program's name first; the command word is not an
    // option.
    QStringList options = arguments;
    if (options.size() > 1) options.removeAt(1);
    if (!parser.parse(options)) return Bad(parser.errorText());
    TBatchCommand command;
    if (parser.isSet(help)) {
        command.Kind = TBatchCommand::TKind::Help;
        // The parser names the executable; the mode's own usage line says more.
        QString text = parser.helpText();
        text = QStringLiteral("Usage: vesktest batch [options]") +
               text.mid(text.indexOf(QLatin1Char('\n')));
        command.Text = text.toStdString();
        return command;
    }
    if (parser.isSet(version)) {
        command.Kind = TBatchCommand::TKind::Version;
        command.Text = "vesktest " VESKTEST_VERSION "\n";
        return command;
    }
    if (!parser.positionalArguments().isEmpty())
        return Bad("unexpected argument '" + parser.positionalArguments().first() + "'");
    for (const QString& name :
         {kTests, kFile, kMemory, kShapes, kDescription, kLabel, kLog, kFormat})
        if (parser.values(name).size() > 1) return Bad("--" + name + " is given more than once");

    TBatchOptions& o = command.Options;
    if (parser.isSet(kFile)) {
        o.File = QFile::encodeName(parser.value(kFile)).toStdString();
        if (o.File.empty()) return Bad(QStringLiteral("--file needs a file name"));
    }
    if (parser.isSet(kTests)) {
        for (const QString& item : parser.value(kTests).split(QLatin1Char(','))) {
            bool ok = false;
            const int test = item.trimmed().toInt(&ok);
            if (!ok || test < 1 || test > 5) return Bad("no test '" + item + "' (1 to 5)");
            if (std::find(o.Tests.begin(), o.Tests.end(), test) != o.Tests.end())
                return Bad("test " + item.trimmed() + " is given twice");
            o.Tests.push_back(test);
        }
        const bool file = std::find(o.Tests.begin(), o.Tests.end(), 4) != o.Tests.end();
        if (file && o.File.empty()) return Bad(QStringLiteral("test 4 needs --file"));
    } else {
        o.Tests = o.File.empty() ? std::vector<int>{1, 2, 3, 5} : std::vector<int>{1, 2, 3, 4, 5};
    }
    if (parser.isSet(kMemory)) o.Memory = A(parser.value(kMemory));
    if (parser.isSet(kShapes)) o.Shapes = A(parser.value(kShapes));
    if (parser.isSet(kDescription)) o.Description = A(parser.value(kDescription));
    if (parser.isSet(kLabel)) o.Label = A(parser.value(kLabel));
    o.Save = parser.isSet(kSave);
    if (parser.isSet(kLog)) {
        if (!o.Save) return Bad(QStringLiteral("--log is for --save"));
        o.Log = QFile::encodeName(parser.value(kLog)).toStdString();
        if (o.Log.empty()) return Bad(QStringLiteral("--log needs a file name"));
    }
    if (parser.isSet(kFormat)) {
        const QString format = parser.value(kFormat);
        if (format == QLatin1String("line"))
            o.Format = TBatchFormat::Line;
        else if (format == QLatin1String("csv"))
            o.Format = TBatchFormat::Csv;
        else if (format == QLatin1String("json"))
            o.Format = TBatchFormat::Json;
        else
            return Bad("no format '" + format + "' (line, csv or json)");
    }
    return command;
}

}  // namespace vt
