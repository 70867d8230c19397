#include "batch/batch_options.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <limits>

#include "app/qt_text.h"
#include "benchmarks/disk_folder.h"
#include "benchmarks/file_read.h"
#include "platform/user_folders.h"

namespace vt {

namespace {

const QString kTests = QStringLiteral("tests");
const QString kFile = QStringLiteral("file");
const QString kMemory = QStringLiteral("memory");
const QString kShapes = QStringLiteral("shapes");
const QString kDescription = QStringLiteral("description");
const QString kLabel = QStringLiteral("label");
const QString kRepeat = QStringLiteral("repeat");
const QString kSave = QStringLiteral("save");
const QString kLog = QStringLiteral("log");
const QString kFormat = QStringLiteral("format");
const QString kDiskDir = QStringLiteral("disk-dir");
const QString kDiskSize = QStringLiteral("disk-size");
const QString kDiskSeconds = QStringLiteral("disk-seconds");

// `text` with every control character written as an escape ("\n", "\t",
// "\x1b"), so that a refused value never breaks or colours the message.
QString Escaped(const QString& text)
{
    QString shown;
    for (const QChar c : text) {
        if (c.category() != QChar::Other_Control)
            shown += c;
        else if (c == QLatin1Char('\n'))
            shown += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            shown += QStringLiteral("\\r");
        else if (c == QLatin1Char('\t'))
            shown += QStringLiteral("\\t");
        else
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
    }
    return shown;
}

TBatchCommand Bad(const QString& reason)
{
    TBatchCommand command;
    command.Kind = TBatchCommand::TKind::Bad;
    command.Text = "vesktest batch: " + Escaped(reason).toStdString() + "\n" + BatchUsage();
    return command;
}

// `text` as a whole number from `low` to `high`: decimal digits only, no
// sign, blank or leading zero, the same for every number the options take.
std::optional<std::int32_t> WholeNumber(const QString& text, std::int64_t low, std::int64_t high)
{
    if (text.isEmpty() || text.size() > 10) return std::nullopt;
    if (text.size() > 1 && text.front() == QLatin1Char('0')) return std::nullopt;
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
    const std::int64_t value = text.toLongLong();
    if (value < low || value > high) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

bool HasControlCharacter(const QString& text)
{
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.category() == QChar::Other_Control; });
}

// Why the file test cannot read `path`, or nothing when it can.
std::optional<QString> FileProblem(const QString& path)
{
    const QFileInfo file(path);
    if (!file.exists()) return QStringLiteral("there is no such file");
    if (!file.isFile()) return QStringLiteral("it is not a regular file");
    if (file.size() <= kFileReadMinSize)
        return QStringLiteral("it must be larger than 1 MiB (it has %1 bytes)").arg(file.size());
    return std::nullopt;
}

// Test 7's options into `o`; why they are refused, or nothing. Checked
// here so that a folder with too little space is refused before anything
// is written.
std::optional<QString> DiskOptions(const QCommandLineParser& parser, TBatchOptions& o)
{
    const bool disk = std::find(o.Tests.begin(), o.Tests.end(), 7) != o.Tests.end();
    for (const QString& name : {kDiskDir, kDiskSize, kDiskSeconds})
        if (parser.isSet(name) && !disk) return "--" + name + " is for test 7";
    if (!disk) return std::nullopt;
    if (parser.isSet(kDiskSize)) {
        const auto size = WholeNumber(parser.value(kDiskSize), kDiskMinMiB,
                                      std::numeric_limits<std::int32_t>::max());
        if (!size)
            return QStringLiteral("--disk-size '%1' is not a whole number of MiB from %2")
                .arg(parser.value(kDiskSize))
                .arg(kDiskMinMiB);
        o.DiskMiB = *size;
    }
    if (parser.isSet(kDiskSeconds)) {
        const auto seconds =
            WholeNumber(parser.value(kDiskSeconds), kDiskMinSeconds, kDiskMaxSeconds);
        if (!seconds)
            return QStringLiteral("--disk-seconds '%1' is not a whole number from %2 to %3")
                .arg(parser.value(kDiskSeconds))
                .arg(kDiskMinSeconds)
                .arg(kDiskMaxSeconds);
        o.DiskSeconds = *seconds;
    }
    if (parser.isSet(kDiskDir)) {
        if (parser.value(kDiskDir).isEmpty())
            return QStringLiteral("--disk-dir needs a folder name");
        // The record names the folder wherever the run was started from.
        o.DiskDir =
            QFile::encodeName(QFileInfo(parser.value(kDiskDir)).absoluteFilePath()).toStdString();
    } else {
        const auto home = HomeFolder();
        if (!home) return QStringLiteral("test 7 needs --disk-dir: there is no home folder");
        o.DiskDir = *home;
    }
    if (const auto problem =
            DiskFolderProblem(o.DiskDir, o.DiskMiB, ReadDiskFolderFacts(o.DiskDir)))
        return "test 7 cannot run: " + QString::fromLocal8Bit(*problem);
    return std::nullopt;
}

}  // namespace

const char* BatchUsage()
{
    return "Usage: vesktest batch [--tests 1,2,3,4,5,6,7] [--file PATH] [--memory MIB] [--shapes N]\n"
           "                      [--disk-dir DIR] [--disk-size MIB] [--disk-seconds S]\n"
           "                      [--description TEXT] [--label TEXT] [--repeat N]\n"
           "                      [--save [--log PATH]] [--format line|csv|json]   (--help for "
           "more)\n";
}

TBatchCommand ParseBatchOptions(const QStringList& arguments, const TBatchLimits& limits)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Runs the tests without the window and writes one record per run on standard output.\n"
        "Tests: 1 Create and Sort Lists, 2 10^9 Cycles, 3 Draw Shapes, 4 HDD Speed (File\n"
        "Reading), 5 FillChar & ReadChar, 6 Every Core (the loop of 2 and the passes of 5 on\n"
        "every CPU at once), 7 Disk profile (only when asked for: it writes a test file of\n"
        "--disk-size MiB and removes it again). Exit status: 0 done, 1 a test failed or the output\n"
        "or the log could not be written, 2 a bad command line, 130 or 143 stopped by SIGINT\n"
        "or SIGTERM (the runs finished before are kept, nothing of the one under way)."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version."));
    parser.addOptions({
        help,
        version,
        {kTests,
         QStringLiteral(
             "The tests to run, in this order (default 1,2,3,5,6, and 4 too with --file)."),
         QStringLiteral("LIST")},
        {kFile, QStringLiteral("The file test 4 reads (a regular file of more than 1 MiB)."),
         QStringLiteral("PATH")},
        {kMemory,
         QStringLiteral("The block of tests 5 and 6 in MiB, from 1 to %1 on this machine "
                        "(default half the physical memory the test sees, which is at most 2 "
                        "GiB, so at most 1024; %2 on this machine).")
             .arg(limits.LargestBlockMiB)
             .arg(limits.DefaultBlockMiB),
         QStringLiteral("MIB")},
        {kShapes, QStringLiteral("The ellipse count of test 3, from 0 (default 10000)."),
         QStringLiteral("N")},
        {kDiskDir,
         QStringLiteral("The folder test 7 makes its test file in (default the home folder); "
                        "it needs the file's size and 10% free."),
         QStringLiteral("DIR")},
        {kDiskSize,
         QStringLiteral("The size of test 7's file in MiB, from %1 (default %2).")
             .arg(kDiskMinMiB)
             .arg(kDiskDefaultMiB),
         QStringLiteral("MIB")},
        {kDiskSeconds,
         QStringLiteral("The seconds test 7 measures each of its eight figures, from %1 to %2 "
                        "(default %3).")
             .arg(kDiskMinSeconds)
             .arg(kDiskMaxSeconds)
             .arg(kDiskDefaultSeconds),
         QStringLiteral("S")},
        {kDescription,
         QStringLiteral("The result line's description (default vendor and clock, then /); the "
                        "line keeps 22 characters."),
         QStringLiteral("TEXT")},
        {kLabel,
         QStringLiteral("The result line's disk label (default the disk size, then gb/); the "
                        "line keeps 8 characters."),
         QStringLiteral("TEXT")},
        {kRepeat,
         QStringLiteral("Run the tests N times after one start-up, from 1 to %1 (default 1): one "
                        "record per run, and with --save one log line per run.")
             .arg(kMaxRepeat),
         QStringLiteral("N")},
        {kSave, QStringLiteral("Append each run's result line to the results log.")},
        {kLog,
         QStringLiteral("The results log to append to (default Result3.txt beside the program, or "
                        "in the user's data folder where the program's folder cannot be written)."),
         QStringLiteral("PATH")},
        {kFormat,
         QStringLiteral("What standard output carries per run: line (default), csv (one header "
                        "row, then a row per run) or json (one object per line)."),
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
    for (const QString& name : {kTests, kFile, kMemory, kShapes, kDescription, kLabel, kRepeat,
                                kLog, kFormat, kDiskDir, kDiskSize, kDiskSeconds})
        if (parser.values(name).size() > 1) return Bad("--" + name + " is given more than once");

    TBatchOptions& o = command.Options;
    if (parser.isSet(kFile)) {
        o.File = QFile::encodeName(parser.value(kFile)).toStdString();
        if (o.File.empty()) return Bad(QStringLiteral("--file needs a file name"));
    }
    if (parser.isSet(kTests)) {
        for (const QString& item : parser.value(kTests).split(QLatin1Char(','))) {
            const std::optional<std::int32_t> test = WholeNumber(item, 1, 7);
            if (!test) return Bad("no test '" + item + "' (1 to 7)");
            if (std::find(o.Tests.begin(), o.Tests.end(), *test) != o.Tests.end())
                return Bad("test " + item + " is given twice");
            o.Tests.push_back(*test);
        }
    } else {
        o.Tests =
            o.File.empty() ? std::vector<int>{1, 2, 3, 5, 6} : std::vector<int>{1, 2, 3, 4, 5, 6};
    }
    if (std::find(o.Tests.begin(), o.Tests.end(), 4) != o.Tests.end()) {
        if (o.File.empty()) return Bad(QStringLiteral("test 4 needs --file"));
        if (const auto problem = FileProblem(parser.value(kFile)))
            return Bad("--file '" + parser.value(kFile) + "': " + *problem);
    }
    if (const auto bad = DiskOptions(parser, o)) return Bad(*bad);
    if (parser.isSet(kMemory)) {
        o.Memory = WholeNumber(parser.value(kMemory), 1, limits.LargestBlockMiB);
        if (!o.Memory)
            return Bad(QStringLiteral("--memory '%1' is not a whole number of MiB from 1 to %2 "
                                      "(the largest block the memory test takes here)")
                           .arg(parser.value(kMemory))
                           .arg(limits.LargestBlockMiB));
    }
    if (parser.isSet(kShapes)) {
        const auto shapes =
            WholeNumber(parser.value(kShapes), 0, std::numeric_limits<std::int32_t>::max());
        if (!shapes)
            return Bad("--shapes '" + parser.value(kShapes) + "' is not a whole number from 0");
        o.Shapes = *shapes;
    }
    if (parser.isSet(kRepeat)) {
        const auto repeat = WholeNumber(parser.value(kRepeat), 1, kMaxRepeat);
        if (!repeat)
            return Bad(QStringLiteral("--repeat '%1' is not a whole number from 1 to %2")
                           .arg(parser.value(kRepeat))
                           .arg(kMaxRepeat));
        o.Repeat = *repeat;
    }
    for (const auto& [name, field] :
         {std::pair{kDescription, &o.Description}, {kLabel, &o.Label}}) {
        if (!parser.isSet(name)) continue;
        if (HasControlCharacter(parser.value(name)))
            return Bad("--" + name + " holds a control character (a line break, a tab, ...)");
        *field = parser.value(name).toStdString();
    }
    o.Save = parser.isSet(kSave);
    if (parser.isSet(kLog)) {
        if (!o.Save) return Bad(QStringLiteral("--log is for --save"));
        o.Log = QFile::encodeName(parser.value(kLog)).toStdString();
        if (o.Log.empty()) return Bad(QStringLiteral("--log needs a file name"));
        const QDir folder = QFileInfo(parser.value(kLog)).absoluteDir();
        if (!folder.exists())
            return Bad("--log '" + parser.value(kLog) + "': there is no folder '" +
                       QDir::toNativeSeparators(folder.path()) + "'");
    }
    // A value for a test that does not run would be dropped without a word.
    const auto runs = [&o](int test) {
        return std::find(o.Tests.begin(), o.Tests.end(), test) != o.Tests.end();
    };
    if (parser.isSet(kFile) && !runs(4))
        return Bad(QStringLiteral("--file is for test 4, which --tests leaves out"));
    if (parser.isSet(kMemory) && !runs(5) && !runs(6))
        return Bad(QStringLiteral("--memory is for tests 5 and 6, which --tests leaves out"));
    if (parser.isSet(kShapes) && !runs(3))
        return Bad(QStringLiteral("--shapes is for test 3, which --tests leaves out"));
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
