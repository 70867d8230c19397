// The batch mode run unattended, through the built executable: a display
// that takes the connection and never answers, a stop at any moment, a log
// that cannot be written found before anything runs, a Save that fails after
// a run, standard output that cannot be written for --help, and a file test
// on a file too small to time.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>

#include "batch/batch_tests.h"
#include "results/results_log.h"
#include "tests/batch/batch_process.h"
#include "tests/widgets/window_fixture.h"

namespace vt::testing {
namespace {

// The test's environment without anything that names a display, as cron
// has it.
QProcessEnvironment WithoutDisplay()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE",
                             "XDG_RUNTIME_DIR", "XAUTHORITY"})
        env.remove(QString::fromLatin1(name));
    return env;
}

// A listener on 127.0.0.1 at port 6000 + its display number that takes every
// connection (the system completes them) and never says a word: the
// listener of an ssh forwarding whose far end is gone.
class TSilentDisplay {
public:
    TSilentDisplay()
    {
        for (number_ = 100 + ::getpid() % 700; number_ < 1000; ++number_) {
            fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_in at{};
            at.sin_family = AF_INET;
            at.sin_port = htons(static_cast<std::uint16_t>(6000 + number_));
            at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            if (::bind(fd_, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0 &&
                ::listen(fd_, 8) == 0)
                return;
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~TSilentDisplay()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    bool Ready() const { return fd_ >= 0; }
    QString Display() const { return QStringLiteral("127.0.0.1:%1").arg(number_); }

    // Waits until a connection has come, and takes it (never answering).
    bool WaitForConnection(int milliseconds)
    {
        for (int waited = 0; waited < milliseconds; waited += 20) {
            const int c = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (c >= 0) {
                taken_.push_back(c);
                return true;
            }
            QTest::qWait(20);
        }
        return false;
    }

private:
    int number_ = 0;
    int fd_ = -1;
    std::vector<int> taken_;
};

const std::string kWindowHint =
    "; without a display, run the tests with 'vesktest batch' or compare logs with 'vesktest "
    "compare --text'\n";

// Opening a display that never answers is bounded: the batch run paints
// offscreen and says why, the window says it has no display; neither waits
// for the peer.
TEST(SilentDisplay, OpeningIsBounded)
{
    TSilentDisplay display;
    ASSERT_TRUE(display.Ready());
    const std::string named =
        "cannot open the display (DISPLAY=" + display.Display().toStdString() +
        ", which did not answer in 5 s); ";
    const struct {
        const char* name;
        QStringList arguments;
        int status;
        std::string err;
        int records;
    } rows[] = {
        {"batch",
         {"batch", "--tests", "3", "--shapes", "1"},
         0,
         "vesktest batch: " + named + "painting offscreen\n",
         1},
        {"window", {}, 1, "vesktest: " + named.substr(0, named.size() - 2) + kWindowHint, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ChildSetup setup;
        setup.environment = WithoutDisplay();
        setup.environment->insert(QStringLiteral("DISPLAY"), display.Display());
        const Outcome o = RunVesktest(row.arguments, setup);
        EXPECT_EQ(o.status, row.status) << o.err;
        // First: a run on a busy machine may add a line about its conditions.
        EXPECT_EQ(o.err.substr(0, row.err.size()), row.err);
        EXPECT_EQ(std::count(o.out.begin(), o.out.end(), '\n'), row.records) << o.out;
    }
}

struct Stop {
    const char* name;
    QStringList options;
    bool displaySilent;  // the stop comes while the display is being opened
    int signal;
    int status;
};

void PrintTo(const Stop& row, std::ostream* os)
{
    *os << row.name;
}

class StopAnyMoment : public ::testing::TestWithParam<Stop> {};

// A stop request ends the run wherever it is: while a display that never
// answers is being opened, in the middle of a long drawing of test 3. The
// status is the signal's and nothing of the run is printed.
TEST_P(StopAnyMoment, EndsTheRunWithTheSignalsStatus)
{
    TSilentDisplay display;
    ASSERT_TRUE(display.Ready());
    QProcess p;
    QProcessEnvironment env = WithoutDisplay();
    if (GetParam().displaySilent)
        env.insert(QStringLiteral("DISPLAY"), display.Display());
    else
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(VESKTEST_EXECUTABLE), QStringList{"batch"} + GetParam().options);
    ASSERT_TRUE(p.waitForStarted());
    if (GetParam().displaySilent)
        ASSERT_TRUE(display.WaitForConnection(30000));
    else
        QTest::qWait(2500);  // past the start-up probes, into the drawing
    ASSERT_EQ(p.state(), QProcess::Running) << p.readAllStandardError().toStdString();
    ::kill(static_cast<pid_t>(p.processId()), GetParam().signal);
    // Far less than the drawing or the peer would take: both go on for
    // minutes.
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), GetParam().status);
    EXPECT_EQ(p.readAllStandardOutput(), QByteArray());
    EXPECT_EQ(p.readAllStandardError(), QByteArray());
}

INSTANTIATE_TEST_SUITE_P(
    Table, StopAnyMoment,
    ::testing::Values(
        Stop{"terminate_while_the_display_opens", {"--tests", "2"}, true, SIGTERM, 143},
        Stop{"interrupt_while_the_display_opens", {"--tests", "2"}, true, SIGINT, 130},
        Stop{"interrupt_while_drawing",
             {"--tests", "3", "--shapes", "2000000000"},
             false,
             SIGINT,
             130}),
    [](const auto& info) { return std::string(info.param.name); });

// The current user as `setpriv` arguments that make the child an
// unprivileged one when the test runs as the superuser, whom permissions do
// not bind; empty otherwise.
QStringList Unprivileged()
{
    if (::geteuid() != 0) return {};
    return {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
}

// A log that cannot take a line is refused before anything runs, through
// the program (the reasons one by one: AppendProblem's own test): status 2,
// the file and the reason, nothing on standard output, nothing changed.
TEST(LogRefused, BeforeAnythingRuns)
{
    QTemporaryDir dir;
    ::chmod(dir.path().toLocal8Bit().constData(), 0755);  // for the unprivileged child
    const std::string base = dir.path().toStdString() + "/";
    QDir(dir.path()).mkdir(QStringLiteral("ro"));
    QDir(dir.path()).mkdir(QStringLiteral("home"));
    ::chmod((base + "ro").c_str(), 0555);
    ::chmod((base + "home").c_str(), 0555);
    std::ofstream(base + "fstab") << "proc /proc proc defaults 0 0\n";
    const std::string prefix = "vesktest batch: cannot append to the results log ";
    const struct {
        const char* name;
        std::string log;  // empty: the usual place, no --log
        bool unprivileged;
        std::string err;
    } rows[] = {
        {"the full device", "/dev/full", false, prefix + "/dev/full: it is not a regular file\n"},
        {"another kind of file", base + "fstab", false,
         prefix + base +
             "fstab: it is not a results log (it does not begin with the log's header)\n"},
        {"a read-only folder", base + "ro/log.txt", true,
         prefix + base + "ro/log.txt: Permission denied\n"},
        {"the data folder under a read-only home", "", true,
         prefix + base + "home/.local/share/vesktest/Result3.txt: its folder " + base +
             "home/.local cannot be made: Permission denied\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.unprivileged && ::geteuid() == 0 && !QFile::exists("/usr/bin/setpriv")) continue;
        // A user's own build folder takes the log beside the program.
        if (row.log.empty() && ::geteuid() != 0) continue;
        QStringList command = row.unprivileged ? Unprivileged() : QStringList{};
        command << QStringLiteral(VESKTEST_EXECUTABLE) << "batch"
                << "--tests"
                << "2"
                << "--save";
        if (!row.log.empty()) command << "--log" << QString::fromStdString(row.log);
        ChildSetup setup;
        setup.environment = QProcessEnvironment::systemEnvironment();
        setup.environment->insert(QStringLiteral("HOME"), dir.filePath(QStringLiteral("home")));
        setup.environment->remove(QStringLiteral("XDG_DATA_HOME"));
        setup.program = command.takeFirst();
        const Outcome o = RunVesktest(command, setup);
        EXPECT_EQ(o.status, 2);
        EXPECT_EQ(o.err, row.err);
        EXPECT_EQ(o.out, "");
    }
    EXPECT_EQ(ReadBytes(base + "fstab"), "proc /proc proc defaults 0 0\n");
}

// The lines of `text` without their line ends.
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

// A log that fills up in the middle of a series (here the file-size limit,
// as a full disk does): the run whose Save failed still prints its record,
// the series ends with status 1 and the reason, and the log holds every
// earlier line whole and nothing of the failed one.
TEST(SaveFailure, TheRecordIsPrintedAndTheLogLeftAsItWas)
{
    QTemporaryDir dir;
    const std::string log = dir.filePath(QStringLiteral("log.txt")).toStdString();
    std::string line(82, '.');
    for (int i = 0; i < 42; ++i) results_log::Append(log, line);
    const std::string before = ReadBytes(log);
    // 3948 bytes: the next line ends at 4032, the one after it beyond 4 KiB
    // (the records log beside it stays far below).
    ASSERT_EQ(before.size(), 5u * 84 + 42 * 84);
    const Outcome o = RunBatchInShell(R"(trap "" XFSZ; ulimit -f 4; exec "$0" batch "$@")",
                                      {"--tests", "3", "--shapes", "1", "--repeat", "3", "--save",
                                       "--log", QString::fromStdString(log)});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "I/O error 27. " + log + ": File too large\n");
    const std::vector<std::string> records = Lines(o.out);
    ASSERT_EQ(records.size(), 2u) << o.out;
    EXPECT_EQ(ReadBytes(log), before + records[0] + "\r\n");
}

// --help and --version to standard output that cannot take them: status 1
// and the reason, never a silent success.
TEST(HelpOutput, FullStandardOutputIsAnError)
{
    const struct {
        QStringList arguments;
        std::string err;
    } rows[] = {
        {{"--help"}, "vesktest: cannot write standard output: No space left on device\n"},
        {{"--version"}, "vesktest: cannot write standard output: No space left on device\n"},
        {{"batch", "--help"},
         "vesktest batch: cannot write standard output: No space left on device\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.join(' ').toStdString());
        ChildSetup toFull;
        toFull.standardOutputFile = QStringLiteral("/dev/full");
        const Outcome o = RunVesktest(row.arguments, toFull);
        EXPECT_EQ(o.status, 1);
        EXPECT_EQ(o.err, row.err);
    }
}

// A repeated run stopped at a terminal still shows the summary of the runs
// it kept; standard error is a terminal here (script's).
TEST(StoppedSeries, SummarisesTheRunsKeptOnATerminal)
{
    if (!QFile::exists(QStringLiteral("/usr/bin/script"))) GTEST_SKIP() << "no script(1)";
    QTemporaryDir dir;
    const QString records = dir.filePath(QStringLiteral("records"));
    // Two records, then Ctrl+C's signal.
    const QString inner = QStringLiteral(
        R"sh(: > "$1"; "$0" batch --tests 3 --shapes 200 --repeat 1000 --format json > "$1" & p=$!; )sh"
        R"sh(while [ "$(wc -l < "$1")" -lt 2 ]; do sleep 0.05; done; kill -INT $p; )sh"
        R"sh(wait $p; echo "status $?")sh");
    ChildSetup setup;
    setup.program = QStringLiteral("/usr/bin/script");
    const Outcome o = RunVesktest(
        {"-qec", "bash -c '" + inner + "' " + QStringLiteral(VESKTEST_EXECUTABLE) + " " + records,
         "/dev/null"},
        setup);
    EXPECT_EQ(o.status, 0) << o.out;
    EXPECT_NE(o.out.find("status 130"), std::string::npos) << o.out;
    const std::size_t kept = Lines(ReadBytes(records.toStdString())).size();
    EXPECT_NE(o.out.find("vesktest batch: " + std::to_string(kept) + " of 1000 runs finished"),
              std::string::npos)
        << o.out;
    EXPECT_NE(o.out.find("Summary of " + std::to_string(kept) + " runs"), std::string::npos)
        << o.out;
    EXPECT_NE(o.out.find("DrawTime"), std::string::npos) << o.out;
}

// The file test on a file read in 0 ms (a small file, or one held in memory,
// read within one tick): an error that names the test and the file, on every
// run it happens; the not-on-a-disk warning comes once a series.
TEST(FileTooSmallToTime, NamesTheTestAndTheFile)
{
    QTemporaryDir dir(QStringLiteral("/dev/shm/vt_batch_XXXXXX"));
    if (!dir.isValid()) GTEST_SKIP() << "no /dev/shm";
    const std::string file = dir.filePath(QStringLiteral("small")).toStdString();
    {
        QFile f(QString::fromStdString(file));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.write(QByteArray(2 << 20, 'x')) == (2 << 20));
    }
    TEnvironment env = FakeEnvironment("/tmp/");
    env.Ticks = [] { return std::uint32_t{4242}; };  // no tick passes
    std::vector<std::string> messages;
    TBatchTests tests(env, std::int64_t{1} << 30,
                      [&](const std::string& text) { messages.push_back(text); });
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        TTestInputs inputs;
        inputs.File = file;
        try {
            tests.Run(4, inputs, [](const char*, const std::string&) {});
            ADD_FAILURE() << "no error";
        } catch (const EFileTestFailure& e) {
            EXPECT_EQ(e.Message(), "vesktest batch: 4. HDD Speed (File Reading): " + file +
                                       " was read in 0 ms: the file is too small to time (give "
                                       "a larger one, or one that is not held in memory)");
        }
    }
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(file), std::string::npos) << messages[0];
}

}  // namespace
}  // namespace vt::testing
