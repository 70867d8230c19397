// The program where the display is missing or cannot be opened (an ssh
// session's forwarding that dropped, cron, su): --help and --version need
// none; a window says so in one line and exits 1; a batch run paints
// offscreen and says that in one line; nothing of the toolkit's own chatter
// reaches standard error.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "tests/batch/batch_process.h"

namespace vt::testing {
namespace {

// The test's environment without anything that names a display or the
// user's runtime folder, as cron has it.
QProcessEnvironment WithoutDisplay()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE",
                             "XDG_RUNTIME_DIR", "XAUTHORITY"})
        env.remove(QString::fromLatin1(name));
    return env;
}

bool XDisplayInUse(int n)
{
    QFile unixSockets(QStringLiteral("/proc/net/unix"));
    const QString name = QStringLiteral("/tmp/.X11-unix/X%1").arg(n);
    if (QFile::exists(name)) return true;
    return unixSockets.open(QIODevice::ReadOnly) &&
           unixSockets.readAll().contains(("@" + name + "\n").toUtf8());
}

// An X display number nothing listens on.
int DeadXDisplay()
{
    for (int n = 170;; ++n)
        if (!XDisplayInUse(n)) return n;
}

const std::string kWindowHint =
    "; without a display, run the tests with 'vesktest batch' or compare logs with 'vesktest "
    "compare --text'\n";
const std::string kCompareHint = "; without a display, use 'vesktest compare --text' or '--csv'\n";

struct Row {
    const char* name;
    std::vector<std::pair<QString, QString>> variables;  // "%1" in a value: the dead display
    QStringList arguments;
    int status;
    std::string err;  // "%1" as above
};

TEST(Display, MissingOrDeadDisplay)
{
    const QString dead = QStringLiteral(":%1").arg(DeadXDisplay());
    const std::pair<QString, QString> x{"DISPLAY", "%1"};
    const std::pair<QString, QString> wayland{"WAYLAND_DISPLAY", "vesktest-nowhere"};
    const QStringList batchRun{"batch", "--tests", "3", "--shapes", "1"};
    const Row rows[] = {
        {"window, dead X display",
         {x},
         {},
         1,
         "vesktest: cannot open the display (DISPLAY=%1)" + kWindowHint},
        {"window, Wayland display nowhere",
         {wayland},
         {},
         1,
         "vesktest: cannot open the display (WAYLAND_DISPLAY=vesktest-nowhere)" + kWindowHint},
        {"window, no display named",
         {},
         {},
         1,
         "vesktest: cannot open the display (DISPLAY and WAYLAND_DISPLAY are not set)" +
             kWindowHint},
        {"compare window, dead X display",
         {x},
         {"compare"},
         1,
         "vesktest compare: cannot open the display (DISPLAY=%1)" + kCompareHint},
        {"help, dead X display", {x}, {"--help"}, 0, ""},
        {"version, dead X display", {x}, {"--version"}, 0, ""},
        {"batch help, dead X display", {x}, {"batch", "--help"}, 0, ""},
        {"batch bad value, dead X display",
         {x},
         {"batch", "--repeat", "0"},
         2,
         "vesktest batch: --repeat '0' is not a whole number from 1 to 1000\n"},
        {"batch, dead X display",
         {x},
         batchRun,
         0,
         "vesktest batch: cannot open the display (DISPLAY=%1); painting offscreen\n"},
        {"batch, Wayland display nowhere",
         {wayland},
         batchRun,
         0,
         "vesktest batch: cannot open the display (WAYLAND_DISPLAY=vesktest-nowhere); painting "
         "offscreen\n"},
        {"batch as cron runs it", {}, batchRun, 0, ""},
        {"batch help as cron runs it", {}, {"batch", "--help"}, 0, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ChildSetup setup;
        setup.environment = WithoutDisplay();
        for (const auto& [name, value] : row.variables)
            setup.environment->insert(name, QString(value).replace(QStringLiteral("%1"), dead));
        const Outcome o = RunVesktest(row.arguments, setup);
        EXPECT_EQ(o.status, row.status) << o.err;
        // A refusal shows its usage lines too; the first line is the verdict.
        const std::string err = row.status == 2 ? o.err.substr(0, o.err.find('\n') + 1) : o.err;
        EXPECT_EQ(
            err, QString::fromStdString(row.err).replace(QStringLiteral("%1"), dead).toStdString());
        if (row.arguments == batchRun) {
            EXPECT_EQ(std::count(o.out.begin(), o.out.end(), '\n'), 1) << o.out;
        }
    }
}

// An X server that refuses the connection: the X library writes the
// server's reason to standard error by itself; it stays off it.
TEST(Display, RefusedXDisplay)
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    const QString xauth = QStandardPaths::findExecutable(QStringLiteral("xauth"));
    if (xvfb.isEmpty() || xauth.isEmpty()) GTEST_SKIP() << "no Xvfb or xauth";
    QTemporaryDir dir;
    const QString cookies = dir.filePath(QStringLiteral("cookies"));
    ASSERT_EQ(QProcess::execute(xauth, {"-f", cookies, "add", ":0", "MIT-MAGIC-COOKIE-1",
                                        "0123456789abcdef0123456789abcdef"}),
              0);
    const int n = DeadXDisplay();
    QProcess server;
    server.start(xvfb, {QStringLiteral(":%1").arg(n), "-nolisten", "tcp", "-auth", cookies});
    ASSERT_TRUE(server.waitForStarted());
    for (int tries = 0; tries < 100 && !XDisplayInUse(n); ++tries) server.waitForFinished(100);
    ASSERT_TRUE(XDisplayInUse(n)) << server.readAllStandardError().toStdString();

    ChildSetup setup;
    setup.environment = WithoutDisplay();
    setup.environment->insert(QStringLiteral("DISPLAY"), QStringLiteral(":%1").arg(n));
    setup.environment->insert(QStringLiteral("XAUTHORITY"), dir.filePath(QStringLiteral("none")));
    const std::string named = "cannot open the display (DISPLAY=:" + std::to_string(n) + ")";
    const Outcome window = RunVesktest({}, setup);
    EXPECT_EQ(window.status, 1);
    EXPECT_EQ(window.err, "vesktest: " + named + kWindowHint);
    const Outcome batch = RunVesktest({"batch", "--tests", "3", "--shapes", "1"}, setup);
    EXPECT_EQ(batch.status, 0);
    EXPECT_EQ(batch.err, "vesktest batch: " + named + "; painting offscreen\n");
    server.terminate();
    server.waitForFinished(10000);
}

}  // namespace
}  // namespace vt::testing
