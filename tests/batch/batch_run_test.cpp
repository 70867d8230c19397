// The built executable's batch mode as a script sees it: exit statuses,
// messages on standard error, the log line byte-identical to the window's
// Save, and a stopped run that leaves the log whole.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <fstream>
#include <sstream>

#include "app/qt_text.h"
#include "results/log_location.h"
#include "results/results_log.h"
#include "tests/batch/batch_process.h"
#include "tests/widgets/window_fixture.h"

namespace vt::testing {
namespace {

struct Exit {
    const char* name;
    QStringList options;
    int status;
    const char* message;  // on standard error, or empty
};

void PrintTo(const Exit& row, std::ostream* os)
{
    *os << row.name;
}

class BatchExit : public ::testing::TestWithParam<Exit> {};

TEST_P(BatchExit, StatusAndMessage)
{
    const Outcome o = RunBatch(GetParam().options);
    EXPECT_EQ(o.status, GetParam().status) << o.err;
    EXPECT_NE(o.err.find(GetParam().message), std::string::npos) << o.err;
    if (GetParam().status != 0) {
        EXPECT_EQ(o.out, "");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, BatchExit,
    ::testing::Values(
        Exit{"help", {"--help"}, 0, ""}, Exit{"version", {"--version"}, 0, ""},
        Exit{"bad_option", {"--fast"}, 2, "Usage: vesktest batch"},
        Exit{"bad_test", {"--tests", "8"}, 2, "Usage: vesktest batch"},
        Exit{"count_not_a_number", {"--tests", "3", "--shapes", "abc"}, 2, "--shapes 'abc'"},
        Exit{"memory_not_a_number", {"--tests", "5", "--memory", "2x"}, 2, "--memory '2x'"},
        Exit{"file_missing",
             {"--tests", "4", "--file", "/no/such/file"},
             2,
             "there is no such file"},
        Exit{"line_break_in_label", {"--label", "a\nb"}, 2, "--label holds"}),
    [](const auto& info) { return std::string(info.param.name); });

class BatchSave : public WindowTest {};

// The line the batch appends is the one the window's Save appends for the
// same scores and texts, byte for byte, header included.
TEST_F(BatchSave, LogLineIsTheWindowsSave)
{
    const std::string batchLog = ExeDir() + "batch.txt";
    const Outcome o =
        RunBatch({"--tests", "1,3,5", "--memory", "2", "--shapes", "10", "--description", "Box Ж/1",
                  "--format", "json", "--save", "--log", QString::fromStdString(batchLog)});
    ASSERT_EQ(o.status, 0) << o.err;
    const QJsonObject json = QJsonDocument::fromJson(QByteArray::fromStdString(o.out)).object();

    T_fVesktest& w = Open();
    w.Scores.ListCreateTime = json["ListCreateTime"].toDouble();
    w.Scores.SortTime = json["SortTime"].toDouble();
    w.Scores.SortOutputTime = json["SortOutputTime"].toDouble();
    w.Scores.FillMemSpeed = json["FillMemSpeed"].toDouble();
    w.Scores.ReadMemSpeed = json["ReadMemSpeed"].toDouble();
    w.Scores.DrawTime = json["DrawTime"].toDouble();
    w.Edit7->setText(json["description"].toString());
    w.Edit13->setText(json["disk_label"].toString());
    w.Env().Format = SystemFormatSettings();  // as the batch formats the line
    w.Button2Click(w.Button2);
    EXPECT_EQ(ReadBytes(batchLog), ReadBytes(ResultsLogPath(ExeDir())));
    EXPECT_EQ(json["description"].toString(), QStringLiteral("Box Ж/1"));
}

struct Stop {
    const char* name;
    int signal;
    int status;
};

void PrintTo(const Stop& row, std::ostream* os)
{
    *os << row.name;
}

class BatchStop : public ::testing::TestWithParam<Stop> {};

// A signal while the tests run ends the run with 128 + the signal and leaves
// the log exactly as it was.
TEST_P(BatchStop, LeavesTheLogWhole)
{
    QTemporaryDir dir;
    const std::string log = dir.filePath(QStringLiteral("log.txt")).toStdString();
    std::string before;
    for (const std::string& h : ResultsLogHeader()) before += h + "\r\n";
    before += "earlier line\r\n";
    std::ofstream(log, std::ios::binary) << before;
    QProcess p;
    p.start(QStringLiteral(VESKTEST_EXECUTABLE), {"batch", "--tests", "5,2,1,3", "--memory", "64",
                                                  "--save", "--log", QString::fromStdString(log)});
    ASSERT_TRUE(p.waitForStarted());
    // Past the start-up probes and into the tests.
    QTest::qWait(1200);
    const qint64 pid = p.processId();
    ASSERT_GT(pid, 0) << p.readAllStandardError().toStdString();  // never the process group
    ::kill(static_cast<pid_t>(pid), GetParam().signal);
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), GetParam().status);
    EXPECT_EQ(p.readAllStandardOutput(), QByteArray());
    EXPECT_EQ(ReadBytes(log), before);
}

INSTANTIATE_TEST_SUITE_P(Table, BatchStop,
                         ::testing::Values(Stop{"interrupt", SIGINT, 130},
                                           Stop{"terminate", SIGTERM, 143}),
                         [](const auto& info) { return std::string(info.param.name); });

// The lines of `text`, without their CR LF or LF.
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The log's result lines, after its five header lines.
std::vector<std::string> LogLines(const std::string& path)
{
    std::vector<std::string> lines = Lines(ReadBytes(path));
    if (lines.size() < 5) return {};
    return {lines.begin() + 5, lines.end()};
}

// Three runs after one start-up: one record per run in every format, and one
// log line per run, the same lines the line format prints.
TEST(BatchRepeat, OneRecordAndOneLogLinePerRun)
{
    for (const char* format : {"line", "csv", "json"}) {
        SCOPED_TRACE(format);
        QTemporaryDir dir;
        const std::string log = dir.filePath(QStringLiteral("log.txt")).toStdString();
        const Outcome o =
            RunBatch({"--tests", "3,5", "--shapes", "2", "--memory", "1", "--repeat", "3",
                      "--format", format, "--save", "--log", QString::fromStdString(log)});
        ASSERT_EQ(o.status, 0) << o.err;
        const std::vector<std::string> out = Lines(o.out);
        const std::vector<std::string> saved = LogLines(log);
        ASSERT_EQ(saved.size(), 3u);
        if (std::string(format) == "line") {
            EXPECT_EQ(out, saved);
        } else if (std::string(format) == "csv") {
            ASSERT_EQ(out.size(), 4u);
            EXPECT_EQ(out[0].rfind("description,disk_label,", 0), 0u);
            for (int run = 1; run <= 3; ++run)
                EXPECT_NE(out[run].find("," + std::to_string(run) + ",3,"), std::string::npos)
                    << out[run];
        } else {
            ASSERT_EQ(out.size(), 3u);
            QString started;
            for (int run = 1; run <= 3; ++run) {
                const QJsonObject json =
                    QJsonDocument::fromJson(QByteArray::fromStdString(out[run - 1])).object();
                EXPECT_EQ(json["run"].toInt(), run);
                EXPECT_EQ(json["runs"].toInt(), 3);
                EXPECT_EQ(json["memory_block_mib"].toInt(), 1);
                EXPECT_EQ(json["shapes"].toInt(), 2);
                EXPECT_TRUE(json["CyclesPerSec"].isNull());
                EXPECT_GE(json["started"].toString(), started);
                started = json["started"].toString();
            }
        }
    }
}

// A stop in the middle of the second run's memory passes: the first run's
// record and log line stay, nothing of the second is printed or saved.
TEST(BatchRepeat, StopKeepsTheFinishedRunsOnly)
{
    QTemporaryDir dir;
    const std::string log = dir.filePath(QStringLiteral("log.txt")).toStdString();
    QProcess p;
    p.start(QStringLiteral(VESKTEST_EXECUTABLE),
            {"batch", "--tests", "5", "--memory", "128", "--repeat", "2", "--format", "json",
             "--save", "--log", QString::fromStdString(log)});
    ASSERT_TRUE(p.waitForStarted());
    QByteArray out;
    while (!out.contains('\n') && p.state() == QProcess::Running) {
        p.waitForReadyRead(1000);
        out += p.readAllStandardOutput();
    }
    ASSERT_TRUE(out.endsWith('\n')) << p.readAllStandardError().toStdString();
    QTest::qWait(300);  // into the second run's passes
    QElapsedTimer stopping;
    stopping.start();
    ::kill(static_cast<pid_t>(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(60000));
    // A figure for the reader, not a verdict: the stop is looked at between
    // two passes of about a tenth of a second here.
    RecordProperty("stop_ms", static_cast<int>(stopping.elapsed()));
    EXPECT_EQ(p.exitCode(), 130);
    out += p.readAllStandardOutput();
    ASSERT_EQ(Lines(out.toStdString()).size(), 1u);
    EXPECT_EQ(QJsonDocument::fromJson(out).object()["run"].toInt(), 1);
    EXPECT_EQ(LogLines(log).size(), 1u);
}

// A log that cannot be written: refused before anything runs, with the
// file and the reason. A link whose target is missing is followed where the
// target's folder exists.
TEST(BatchSaveFailure, NamesTheFileAndTheReason)
{
    QTemporaryDir dir;
    const QString base = dir.path() + "/";
    const struct {
        const char* name;
        const char* link;  // the log is a link to this
        int status;
        std::string message;
    } rows[] = {
        {"link to a missing file", "made.txt", 0, ""},
        {"link into a missing folder", "none/made.txt", 2,
         "vesktest batch: cannot append to the results log " + base.toStdString() +
             "log1 (its link leads to " + base.toStdString() +
             "none/made.txt): No such file or directory\n"},
        {"full device", "/dev/full", 2,
         "vesktest batch: cannot append to the results log " + base.toStdString() +
             "log2: it is not a regular file\n"},
    };
    int n = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QString log = base + "log" + QString::number(n++);
        ASSERT_TRUE(QFile::link(QString::fromLatin1(row.link), log));
        const Outcome o = RunBatch({"--tests", "3", "--shapes", "1", "--save", "--log", log});
        EXPECT_EQ(o.status, row.status);
        EXPECT_EQ(o.err, row.message);
        if (row.status == 0) {
            EXPECT_EQ(LogLines(base.toStdString() + row.link), Lines(o.out));
        }
    }
}

// Standard output that cannot be written: status 1 with the reason, and the
// finished run is saved all the same.
TEST(BatchOutputFailure, StatusOneWithTheReasonAndTheRunSaved)
{
    const struct {
        const char* name;
        const char* script;  // "" for standard output on /dev/full
        const char* reason;
    } rows[] = {
        {"full disk", "", "No space left on device"},
        {"closed descriptor", R"(exec "$0" batch "$@" >&-)", "Bad file descriptor"},
        {"reader gone", R"("$0" batch "$@" | true; exit "${PIPESTATUS[0]}")", "Broken pipe"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("log.txt"));
        const QStringList options = {"--tests", "3", "--shapes", "1", "--save", "--log", log};
        ChildSetup toFull;
        toFull.standardOutputFile = QStringLiteral("/dev/full");
        const Outcome o = *row.script ? RunBatchInShell(QString::fromLatin1(row.script), options)
                                      : RunBatch(options, toFull);
        EXPECT_EQ(o.status, 1);
        EXPECT_EQ(o.err, std::string("vesktest batch: cannot write standard output: ") +
                             row.reason + "\n");
        EXPECT_EQ(LogLines(log.toStdString()).size(), 1u);
    }
}

// A text longer than the result line keeps gets one warning line, where the
// line is printed or saved; CSV and JSON carry it whole.
TEST(BatchCut, WarnsOnceWhereTheLineCutsAText)
{
    const std::string description = "Office PC/Ryzen 5 5600 with 32 GiB";
    const struct {
        const char* name;
        QStringList options;
        std::string warning;
    } rows[] = {
        {"line",
         {"--format", "line"},
         "vesktest batch: the line keeps 22 characters of the description: "
         "\"Office PC/Ryzen 5 5600\"\n"
         "vesktest batch: the line keeps 8 characters of the disk label: "
         "\"SSD 1TB \"\n"},
        {"json", {"--format", "json"}, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Outcome o =
            RunBatch(QStringList{"--tests", "3", "--shapes", "1", "--description",
                                 QString::fromStdString(description), "--label", "SSD 1TB NVMe"} +
                     row.options);
        EXPECT_EQ(o.status, 0);
        EXPECT_EQ(o.err, row.warning);
    }
}

// A character Windows-1251 lacks: the line takes "?" and says so once, JSON
// and CSV keep the text whole.
TEST(BatchCut, TextOutsideTheCodePageIsKeptWholeInJsonAndCsv)
{
    const QString description = QStringLiteral("Büro ✓ Ж");
    const std::string warning =
        "vesktest batch: the line writes the description as \"B?ro ? Ж\": Windows-1251 has no "
        "place for some of \"Büro ✓ Ж\"\n";
    const struct {
        const char* name;
        const char* format;
        std::string warning;
        std::string kept;  // in standard output
    } rows[] = {
        {"line", "line", warning, Ansi("B?ro ? Ж")},
        {"json", "json", "", "\"description\": \"Büro ✓ Ж\""},
        {"csv", "csv", "", "\nBüro ✓ Ж,"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Outcome o = RunBatch({"--tests", "3", "--shapes", "1", "--description", description,
                                    "--format", row.format});
        EXPECT_EQ(o.status, 0);
        EXPECT_EQ(o.err, row.warning);
        EXPECT_NE(o.out.find(row.kept), std::string::npos) << o.out;
    }
}

// Processes that keep every processor busy until the object goes.
class Hogs {
public:
    explicit Hogs(int count)
    {
        for (int i = 0; i < count; ++i) {
            const pid_t pid = fork();
            if (pid == 0)
                for (std::uint64_t n = 0;; ++n) asm volatile("" : "+r"(n));
            if (pid > 0) pids_.push_back(pid);
        }
    }
    ~Hogs()
    {
        for (const pid_t pid : pids_) kill(pid, SIGKILL);
        for (const pid_t pid : pids_) waitpid(pid, nullptr, 0);
    }

private:
    std::vector<pid_t> pids_;
};

// Beside processes that take every processor, each run gets one line on
// standard error that says what disturbed it; the records still come.
TEST(BatchConditions, EachRunThatWasNotQuietSaysWhy)
{
    const Hogs hogs(QThread::idealThreadCount() + 1);
    const Outcome o = RunBatch({"--tests", "3", "--shapes", "1", "--repeat", "2"});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(Lines(o.out).size(), 2u);
    const std::vector<std::string> lines = Lines(o.disturbed);
    ASSERT_EQ(lines.size(), 2u) << o.disturbed;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(lines[i]);
        EXPECT_EQ(lines[i].rfind("vesktest batch: run " + std::to_string(i + 1) + " of 2: ", 0),
                  0u);
        // The second before lasts long enough for the counters to tell.
        EXPECT_NE(lines[i].find("other processes used "), std::string::npos);
    }
}

// Test 6 in a process allowed one CPU (taskset): the run measures, ends
// with 0 and says on standard error that its figures are one thread's.
TEST(BatchEveryCore, OneAllowedCpuSaysSo)
{
    const Outcome o = RunBatchInShell(R"(exec taskset -c 0 "$0" batch "$@")",
                                      {"--tests", "6", "--memory", "8", "--format", "json"});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_NE(o.err.find("only CPU 0 of "), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("the every-core figures are one thread's"), std::string::npos) << o.err;
    EXPECT_NE(o.out.find("\"tests\": [6]"), std::string::npos) << o.out;
}

}  // namespace
}  // namespace vt::testing
