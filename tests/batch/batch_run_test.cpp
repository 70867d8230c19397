// The built executable's batch mode as a script sees it: exit statuses,
// messages on standard error, the log line byte-identical to the window's
// Save, and a stopped run that leaves the log whole.
#include <gtest/gtest.h>
#include <signal.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <fstream>

#include "app/qt_text.h"
#include "results/log_location.h"
#include "tests/widgets/window_fixture.h"

namespace vt::testing {
namespace {

struct Outcome {
    int status;
    std::string out, err;
};

Outcome RunBatch(const QStringList& options)
{
    QProcess p;
    p.start(QStringLiteral(VESKTEST_EXECUTABLE), QStringList{QStringLiteral("batch")} + options);
    EXPECT_TRUE(p.waitForFinished(120000));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
}

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
    if (GetParam().status != 0) EXPECT_EQ(o.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, BatchExit,
    ::testing::Values(Exit{"help", {"--help"}, 0, ""}, Exit{"version", {"--version"}, 0, ""},
                      Exit{"bad_option", {"--fast"}, 2, "Usage: vesktest batch"},
                      Exit{"bad_test", {"--tests", "7"}, 2, "Usage: vesktest batch"},
                      Exit{"count_not_a_number",
                           {"--tests", "3", "--shapes", "abc"},
                           1,
                           "'abc' is not a valid integer value.\n"},
                      Exit{"memory_not_a_number",
                           {"--tests", "5", "--memory", "2x"},
                           1,
                           "'2x' is not a valid integer value.\n"},
                      Exit{"file_missing",
                           {"--tests", "4", "--file", "/no/such/file"},
                           1,
                           "Size of file must be > 1mb\n"}),
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
    const std::string before = "earlier line\r\n";
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

}  // namespace
}  // namespace vt::testing
