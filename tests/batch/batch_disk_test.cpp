// Test 7 in the built executable: its test file gone after the end and after
// SIGINT or SIGTERM, and a file left by a killed run removed at the next run.
// Tiny runs: 64 MiB, a second a figure, in a folder beside the executable so
// that they write to a disk whatever /tmp is.
#include <gtest/gtest.h>
#include <signal.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "tests/batch/batch_process.h"

namespace vt::testing {
namespace {

class TDiskFolder {
public:
    TDiskFolder() : dir_(QCoreApplication::applicationDirPath() + QStringLiteral("/disk-XXXXXX")) {}
    QString Path() const { return dir_.path(); }
    QStringList Names() const { return QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden); }
    QStringList Options(int seconds) const
    {
        return {"--tests",     "7",  "--disk-dir",     Path(),
                "--disk-size", "64", "--disk-seconds", QString::number(seconds)};
    }

private:
    QTemporaryDir dir_;
};

TEST(BatchDisk, EndRemovesTheFileAndALeftoverGoesFirst)
{
    TDiskFolder dir;
    const QString leftover = QStringLiteral("vesktest-disk-2147483645.tmp");
    {
        QFile f(dir.Path() + "/" + leftover);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("left by a killed run");
    }
    const Outcome o = RunBatch(dir.Options(1) + QStringList{"--format", "json"});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_NE(o.err.find("Removed the test file"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find(leftover.toStdString()), std::string::npos) << o.err;
    EXPECT_EQ(dir.Names(), QStringList());
    // The record carries the eight figures and the facts beside them.
    const QJsonObject record = QJsonDocument::fromJson(QByteArray::fromStdString(o.out)).object();
    EXPECT_EQ(record["tests"].toArray(), QJsonArray{7});
    for (const char* score : {"DiskSeq1MQ8Read", "DiskSeq1MQ1Read", "DiskRnd4KQ32Read",
                              "DiskRnd4KQ1Read", "DiskSeq1MQ8Write", "DiskSeq1MQ1Write",
                              "DiskRnd4KQ32Write", "DiskRnd4KQ1Write"})
        EXPECT_GT(record[score].toDouble(), 0) << score << " in " << o.out;
    EXPECT_TRUE(record["HddSpeed"].isNull());
    const QJsonObject disk = record["disk"].toObject();
    EXPECT_EQ(disk["folder"].toString(), dir.Path());
    EXPECT_EQ(disk["file_mib"].toInt(), 64);
    EXPECT_EQ(disk["seconds"].toDouble(), 1);
    EXPECT_GT(disk["rnd4k_q1_write_iops"].toDouble(), 0);
    EXPECT_FALSE(disk["file_system"].toString().isEmpty());
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

class BatchDiskStop : public ::testing::TestWithParam<Stop> {};

// Once the file is there, the signal: the run ends with 128 + the signal,
// prints no record, and the file is gone.
TEST_P(BatchDiskStop, RemovesTheFile)
{
    TDiskFolder dir;
    QProcess p;
    p.start(QStringLiteral(VESKTEST_EXECUTABLE), QStringList{"batch"} + dir.Options(30));
    ASSERT_TRUE(p.waitForStarted());
    for (int i = 0; i < 600 && dir.Names().isEmpty() && p.state() == QProcess::Running; ++i)
        QTest::qWait(100);
    ASSERT_FALSE(dir.Names().isEmpty()) << p.readAllStandardError().toStdString();
    // Into the writing or the measuring, with requests in flight.
    QTest::qWait(300);
    const qint64 pid = p.processId();
    ASSERT_GT(pid, 0);  // never the process group
    ::kill(static_cast<pid_t>(pid), GetParam().signal);
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), GetParam().status) << p.readAllStandardError().toStdString();
    EXPECT_EQ(p.readAllStandardOutput(), QByteArray());
    EXPECT_EQ(dir.Names(), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Table, BatchDiskStop,
                         ::testing::Values(Stop{"interrupt", SIGINT, 130},
                                           Stop{"terminate", SIGTERM, 143}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vt::testing
