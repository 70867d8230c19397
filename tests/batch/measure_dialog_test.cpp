// "Measure this PC..." in the real Compare window, offscreen: the dialog
// refuses what batch refuses in batch's words, a measurement streams its
// runs into the table and both logs, Cancel keeps the finished runs, and a
// child that fails or is killed is reported with its message.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <set>

#include "compare/compare_window.h"
#include "compare/machine_table.h"
#include "compare/measure_dialog.h"
#include "results/run_record_json.h"
#include "tests/batch/batch_process.h"

namespace vt::testing {
namespace {

constexpr int kLongWaitMs = 180000;  // a loaded machine; never a measured figure

int Lines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return 0;
    int lines = 0;
    while (!file.atEnd())
        if (!file.readLine().trimmed().isEmpty()) ++lines;
    return lines;
}

// The runs the window's table shows, over every machine.
std::size_t TableRuns(const TCompareWindow& window)
{
    std::size_t runs = 0;
    if (const TMachineTable* table = window.Table())
        for (const auto& machine : table->Grouping.Machines) runs += machine.Runs();
    return runs;
}

// A window whose own logs lie in a folder of the test's, with the data
// folders of the child pointed there too.
class Measure : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        qputenv("HOME", dir_.path().toUtf8());
        qputenv("XDG_DATA_HOME", (dir_.path() + "/data").toUtf8());
        log_ = dir_.path() + "/data/vesktest/Result3.txt";
        window_.SetOwnLog(log_);
        window_.SetMeasureProgram(QStringLiteral(VESKTEST_EXECUTABLE));
        window_.show();
    }
    TMeasureDialog* Dialog(std::vector<int> tests, int runs)
    {
        TMeasureDialog* dialog = window_.OpenMeasureDialog();
        TMeasureChoice choice = dialog->Choice();
        choice.Tests = std::move(tests);
        choice.Runs = runs;
        choice.Description = QStringLiteral("measured here");
        choice.Label = QStringLiteral("tmp");
        dialog->SetChoice(choice);
        return dialog;
    }
    bool WaitFor(QSignalSpy& spy, int count = 1)
    {
        for (int waited = 0; spy.count() < count && waited < kLongWaitMs; waited += 50)
            QTest::qWait(50);
        return spy.count() >= count;
    }
    QString Records() const { return QFileInfo(log_).absolutePath() + "/Result3.jsonl"; }

    QTemporaryDir dir_;
    QString log_;
    TCompareWindow window_;
};

struct Refusal {
    const char* name;
    std::vector<int> tests;
    const char* file;  // "big", "small", "none" or a path
    QString memory, shapes, description;
    int runs;
    const char* reason;  // in batch's words; empty: taken
    QString diskDir = {}, diskSize = {};
};

void PrintTo(const Refusal& row, std::ostream* os)
{
    *os << row.name;
}

class MeasureChecks : public Measure, public ::testing::WithParamInterface<Refusal> {};

// The dialog refuses before anything starts, with the words batch itself
// writes for the same command line.
TEST_P(MeasureChecks, SameRefusalsAsBatch)
{
    const Refusal& row = GetParam();
    QString file = QString::fromUtf8(row.file);
    if (file == "big" || file == "small") {
        QFile f(dir_.path() + "/" + file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(file == "big" ? 2 * 1024 * 1024 : 1024, 'x'));
        file = f.fileName();
    } else if (file == "none") {
        file.clear();
    }
    TMeasureDialog* dialog = Dialog(row.tests, row.runs);
    TMeasureChoice choice = dialog->Choice();
    choice.File = file;
    choice.Memory = row.memory;
    choice.Shapes = row.shapes;
    choice.Description = row.description;
    choice.DiskDir = row.diskDir;
    choice.DiskSize = row.diskSize;
    dialog->SetChoice(choice);

    const auto problem = MeasureProblem(dialog->Choice(), 1 << 20);
    if (*row.reason == '\0') {
        EXPECT_FALSE(problem) << problem.value_or(QString()).toStdString();
        return;
    }
    ASSERT_TRUE(problem);
    EXPECT_TRUE(problem->contains(QString::fromUtf8(row.reason))) << problem->toStdString();
    EXPECT_FALSE(dialog->Start());
    EXPECT_EQ(dialog->Run(), nullptr);
    EXPECT_TRUE(dialog->ProblemText().contains(problem->left(problem->indexOf(" from 1 to "))))
        << dialog->ProblemText().toStdString();
    EXPECT_FALSE(QFile::exists(log_));
    if (choice.Tests.empty()) return;
    // Batch, given the same options, says the same.
    QStringList arguments = MeasureArguments(dialog->Choice());
    const Outcome o = RunVesktest(arguments);
    EXPECT_EQ(o.status, 2);
    // The largest block is this machine's: the words before it are the same.
    const QString words = problem->left(problem->indexOf(" from 1 to "));
    EXPECT_NE(o.err.find(words.toStdString()), std::string::npos) << o.err;
}

INSTANTIATE_TEST_SUITE_P(
    Table, MeasureChecks,
    ::testing::Values(
        Refusal{"taken", {1, 2, 3, 5}, "none", "", "", "", 5, ""},
        Refusal{"file_taken", {4}, "big", "", "", "", 5, ""},
        Refusal{"no_test", {}, "none", "", "", "", 5, "no test is chosen"},
        Refusal{"file_missing_name", {4}, "none", "", "", "", 5, "--file needs a file name"},
        Refusal{"file_missing", {4}, "/nonexistent/f", "", "", "", 5, "there is no such file"},
        Refusal{"file_small", {2, 4}, "small", "", "", "", 5, "larger than 1 MiB"},
        Refusal{"file_folder", {4}, "/tmp", "", "", "", 5, "not a regular file"},
        Refusal{"memory_zero", {5}, "none", "0", "", "", 5, "--memory '0'"},
        Refusal{"memory_too_big", {5}, "none", "9999999", "", "", 5, "--memory '9999999'"},
        Refusal{"memory_ignored_without_5", {2}, "none", "abc", "", "", 5, ""},
        Refusal{"memory_for_6", {6}, "none", "0", "", "", 5, "--memory '0'"},
        Refusal{"disk_folder_missing",
                {7},
                "none",
                "",
                "",
                "",
                5,
                "/nonexistent/dir",
                "/nonexistent/dir"},
        Refusal{"disk_size_small", {7}, "none", "", "", "", 5, "--disk-size '10'", "/tmp", "10"},
        Refusal{"disk_ignored_without_7", {2}, "none", "", "", "", 5, "", "/nonexistent", "x"},
        Refusal{"shapes_negative", {3}, "none", "", "-1", "", 5, "--shapes '-1'"},
        Refusal{"description_tab", {2}, "none", "", "", "a\tb", 5, "control character"}));

// Three runs of test 2: each run is in both logs and the table as soon as
// the child reports it, and the window answers meanwhile.
TEST_F(Measure, RunsStreamIntoTableAndLogs)
{
    TMeasureDialog* dialog = Dialog({2}, 3);
    QSignalSpy saved(dialog, &TMeasureDialog::RunSaved);
    QSignalSpy finished(dialog, &TMeasureDialog::Finished);
    QSignalSpy compared(&window_, &TCompareWindow::Compared);
    ASSERT_TRUE(dialog->Start());
    QSignalSpy parts(dialog->Run(), &TMeasureRun::Part);
    EXPECT_TRUE(dialog->Measuring());
    EXPECT_TRUE(dialog->ProgressText().startsWith("Run 1 of 3"))
        << dialog->ProgressText().toStdString();

    // Another log opened while measuring is read and shown.
    QFile other(dir_.path() + "/other.txt");
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.close();
    window_.AddLogs({other.fileName()});

    // What the table showed at each comparison, and whether the child still
    // measured then.
    std::vector<std::pair<std::size_t, bool>> shown;
    QObject::connect(&window_, &TCompareWindow::Compared,
                     [&] { shown.emplace_back(TableRuns(window_), dialog->Measuring()); });
    int headerLines = -1;
    for (int run = 1; run <= 3; ++run) {
        ASSERT_TRUE(WaitFor(saved, run)) << dialog->EndText().toStdString();
        // The run is in both logs before its record comes.
        if (headerLines < 0) headerLines = Lines(log_) - 1;
        EXPECT_EQ(Lines(log_) - headerLines, run);
        EXPECT_EQ(Lines(Records()), run);
    }
    ASSERT_TRUE(WaitFor(finished));
    for (int waited = 0; (window_.Loading() || TableRuns(window_) < 3) && waited < kLongWaitMs;
         waited += 20)
        QTest::qWait(20);
    EXPECT_EQ(TableRuns(window_), 3u);
    // A run is shown while the next is measured, not all at the end.
    EXPECT_TRUE(std::any_of(shown.begin(), shown.end(),
                            [](const auto& s) { return s.first >= 1 && s.second; }));
    const auto end = finished.at(0).at(0).value<TMeasureEnd>();
    EXPECT_EQ(end.Kind, TMeasureEnd::TKind::Done);
    EXPECT_EQ(end.RunsKept, 3);
    EXPECT_TRUE(dialog->EndText().startsWith("Done: 3 runs")) << dialog->EndText().toStdString();
    EXPECT_EQ(dialog->RunsText().count("Run "), 3);
    EXPECT_TRUE(dialog->RunsText().contains("Cycles")) << dialog->RunsText().toStdString();
    ASSERT_NE(window_.Table(), nullptr);
    // The other log and both own logs, whose lines count once, as their records.
    EXPECT_EQ(window_.Table()->Logs.size(), 3u);
    EXPECT_FALSE(dialog->Measuring());
    // The test under way came from the child's part lines, run by run; none
    // of them is taken for a message.
    std::set<int> runsWithCycles;
    for (const QList<QVariant>& part : parts)
        if (part.at(1).toString() == "2. 10^9 Cycles") runsWithCycles.insert(part.at(0).toInt());
    EXPECT_EQ(runsWithCycles, (std::set<int>{1, 2, 3}));
    EXPECT_FALSE(end.ErrorOutput.contains("part")) << end.ErrorOutput.toStdString();
}

TEST_F(Measure, CancelKeepsFinishedRuns)
{
    TMeasureDialog* dialog = Dialog({2}, 50);
    QSignalSpy saved(dialog, &TMeasureDialog::RunSaved);
    QSignalSpy finished(dialog, &TMeasureDialog::Finished);
    ASSERT_TRUE(dialog->Start());
    ASSERT_TRUE(WaitFor(saved));
    dialog->Cancel();
    ASSERT_TRUE(WaitFor(finished));
    const auto end = finished.at(0).at(0).value<TMeasureEnd>();
    EXPECT_EQ(end.Kind, TMeasureEnd::TKind::Stopped) << dialog->EndText().toStdString();
    EXPECT_GE(end.RunsKept, 1);
    EXPECT_LT(end.RunsKept, 50);
    // The results log, as the table reads it, keeps the same runs.
    for (int waited = 0; (window_.Loading() || TableRuns(window_) < std::size_t(end.RunsKept)) &&
                         waited < kLongWaitMs;
         waited += 20)
        QTest::qWait(20);
    EXPECT_EQ(TableRuns(window_), std::size_t(end.RunsKept));
    EXPECT_EQ(Lines(Records()), end.RunsKept);
    EXPECT_TRUE(dialog->EndText().startsWith("Stopped")) << dialog->EndText().toStdString();
    EXPECT_TRUE(dialog->EndText().contains("kept")) << dialog->EndText().toStdString();
    // The dialog is ready for another measurement.
    EXPECT_FALSE(dialog->Measuring());
    EXPECT_TRUE(dialog->findChild<QWidget*>("Start")->isEnabled());
}

TEST_F(Measure, KilledChildIsReported)
{
    TMeasureDialog* dialog = Dialog({2}, 50);
    QSignalSpy finished(dialog, &TMeasureDialog::Finished);
    ASSERT_TRUE(dialog->Start());
    for (int waited = 0; dialog->Run()->ProcessId() == 0 && waited < kLongWaitMs; waited += 20)
        QTest::qWait(20);
    ASSERT_EQ(::kill(static_cast<pid_t>(dialog->Run()->ProcessId()), SIGKILL), 0);
    ASSERT_TRUE(WaitFor(finished));
    const auto end = finished.at(0).at(0).value<TMeasureEnd>();
    EXPECT_EQ(end.Kind, TMeasureEnd::TKind::Failed);
    EXPECT_TRUE(dialog->EndText().contains("crashed or was killed"))
        << dialog->EndText().toStdString();
    EXPECT_TRUE(window_.isVisible());
}

struct Failure {
    const char* name;
    const char* script;  // the child's program; empty: a program that does not exist
    const char* said;
};

void PrintTo(const Failure& row, std::ostream* os)
{
    *os << row.name;
}

class MeasureFailure : public Measure, public ::testing::WithParamInterface<Failure> {};

// The window hears the child's own message, and how many runs it kept.
TEST_P(MeasureFailure, ReportedWithItsMessage)
{
    QString program = dir_.path() + "/missing-program";
    if (*GetParam().script) {
        QFile script(dir_.path() + "/child.sh");
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(GetParam().script);
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        program = script.fileName();
    }
    window_.SetMeasureProgram(program);
    TMeasureDialog* dialog = Dialog({2}, 3);
    QSignalSpy finished(dialog, &TMeasureDialog::Finished);
    ASSERT_TRUE(dialog->Start());
    ASSERT_TRUE(WaitFor(finished));
    const auto end = finished.at(0).at(0).value<TMeasureEnd>();
    EXPECT_EQ(end.Kind, TMeasureEnd::TKind::Failed);
    EXPECT_TRUE(dialog->EndText().startsWith("Failed")) << dialog->EndText().toStdString();
    EXPECT_TRUE(dialog->EndText().contains(QString::fromUtf8(GetParam().said)))
        << dialog->EndText().toStdString();
    EXPECT_FALSE(dialog->Measuring());
}

INSTANTIATE_TEST_SUITE_P(
    Table, MeasureFailure,
    ::testing::Values(
        Failure{"bad_file",
                "#!/bin/sh\necho \"vesktest batch: /srv/big: Input/output error\" >&2\nexit 1\n",
                "/srv/big: Input/output error"},
        Failure{"ends_early", "#!/bin/sh\nexit 0\n", "ended after 0 of 3 runs"},
        Failure{"not_a_record", "#!/bin/sh\necho '{\"broken\"'\nexit 0\n", "cannot be read"},
        Failure{"no_program", "", "could not start"}));

// A run that was not quiet is marked in the dialog and at the window's foot;
// a quiet one is not.
TEST_F(Measure, NotQuietRunsMarked)
{
    QFile records(dir_.path() + "/records.jsonl");
    ASSERT_TRUE(records.open(QIODevice::WriteOnly));
    for (const bool quiet : {true, false}) {
        TRunRecord r;
        r.Tests = {2};
        r.Scores.CyclesPerSec = 700;
        r.Run = quiet ? 1 : 2;
        r.Runs = 2;
        r.Conditions = TRunConditions{};
        r.Conditions->Quiet = quiet;
        if (!quiet) r.Conditions->Disturbances = {"other processes used 97% of a CPU"};
        records.write(QByteArray::fromStdString(RecordToJson(r)) + "\n");
    }
    records.close();
    QFile script(dir_.path() + "/child.sh");
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\ncat '" + records.fileName().toUtf8() + "'\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    window_.SetMeasureProgram(script.fileName());
    TMeasureDialog* dialog = Dialog({2}, 2);
    QSignalSpy finished(dialog, &TMeasureDialog::Finished);
    ASSERT_TRUE(dialog->Start());
    ASSERT_TRUE(WaitFor(finished));
    const QStringList runs = dialog->RunsText().split('\n');
    ASSERT_EQ(runs.size(), 2) << dialog->RunsText().toStdString();
    EXPECT_FALSE(runs[0].contains("not quiet")) << runs[0].toStdString();
    EXPECT_TRUE(runs[1].contains("[not quiet: other processes used 97% of a CPU]"))
        << runs[1].toStdString();
    EXPECT_TRUE(window_.MessagesText().contains("run 2 of 2 measured here was not quiet"))
        << window_.MessagesText().toStdString();
}

TEST_F(Measure, WindowSaysWhereItsLogsAre)
{
    const QString text = window_.OwnLogsText();
    EXPECT_TRUE(text.contains(QDir::toNativeSeparators(log_))) << text.toStdString();
    EXPECT_TRUE(text.contains("Result3.jsonl")) << text.toStdString();
    EXPECT_TRUE(text.contains("none saved yet")) << text.toStdString();
}

struct TimeLeft {
    long long elapsedMs;
    int done, runs;
    const char* text;
};

TEST(MeasureTimeLeft, FromTheRunsSoFar)
{
    const TimeLeft rows[] = {
        {5000, 0, 5, ""},                       // nothing to go by yet
        {5000, 5, 5, ""},                       // done
        {10000, 1, 5, "about 40 s left"},       // 10 s a run, 4 to go
        {30000, 2, 6, "about 1 min 0 s left"},  // 15 s a run, 4 to go
        {100, 1, 2, "about 1 s left"},          // never "0 s"
        {3600000, 1, 3, "about 2 h 0 min left"},
    };
    for (const TimeLeft& r : rows)
        EXPECT_EQ(
            TimeLeftText(std::chrono::milliseconds(r.elapsedMs), r.done, r.runs).toStdString(),
            r.text)
            << r.elapsedMs << " " << r.done << "/" << r.runs;
}

TEST(MeasureEnd, Classified)
{
    struct Row {
        const char* name;
        bool crashed;
        int exitCode;
        bool cancel;
        int kept, runs;
        TMeasureEnd::TKind kind;
    };
    const Row rows[] = {
        {"all_runs", false, 0, false, 5, 5, TMeasureEnd::TKind::Done},
        {"exit_0_short", false, 0, false, 3, 5, TMeasureEnd::TKind::Failed},
        {"sigterm_obeyed", false, 143, true, 2, 5, TMeasureEnd::TKind::Stopped},
        {"killed_after_cancel", true, 0, true, 2, 5, TMeasureEnd::TKind::Stopped},
        {"sigterm_not_asked", false, 143, false, 2, 5, TMeasureEnd::TKind::Failed},
        {"failed_during_cancel", false, 1, true, 2, 5, TMeasureEnd::TKind::Failed},
        {"crash", true, 0, false, 1, 5, TMeasureEnd::TKind::Failed},
        {"bad_command", false, 2, false, 0, 5, TMeasureEnd::TKind::Failed},
    };
    for (const Row& r : rows) {
        TMeasureEnd end;
        end.Crashed = r.crashed;
        end.ExitCode = r.exitCode;
        end.CancelAsked = r.cancel;
        end.RunsKept = r.kept;
        end.Runs = r.runs;
        EXPECT_EQ(MeasureEndKind(end), r.kind) << r.name;
    }
}

}  // namespace
}  // namespace vt::testing
