// What "Measure this PC..." asks batch for, and how its answers are put into
// words. The choice becomes a `vesktest batch` command line, checked by
// batch's own option reader, so that the dialog refuses exactly what batch
// refuses, in batch's words, before anything starts.
#pragma once

#include <QString>
#include <QStringList>
#include <chrono>
#include <optional>
#include <vector>

namespace vt {

// A test the dialog offers, as batch numbers it.
struct TMeasureTest {
    int Number;
    const char* Title;
};

// The tests batch runs, in its order.
const std::vector<TMeasureTest>& MeasureTests();

inline constexpr int kMeasureRunsDefault = 5;

struct TMeasureChoice {
    std::vector<int> Tests;  // in the order they run
    QString File;            // test 4's file
    QString Memory;          // the block of tests 5 and 6 in MiB, as typed; empty: batch's default
    QString Shapes;          // test 3's ellipse count, as typed; empty: batch's default
    QString DiskDir;         // test 7's folder; empty: the home folder
    QString DiskSize;        // test 7's file in MiB, as typed; empty: batch's default
    QString DiskSeconds;     // test 7's seconds per figure, as typed; empty: batch's default
    int Runs = kMeasureRunsDefault;
    QString Description;  // empty: the window's default (vendor and clock)
    QString Label;        // empty: the window's default (the disk's size)
    QString Log;          // the results log the runs are saved to
};

// The options of `vesktest batch` for `choice`: JSON records on standard
// output, every run saved to choice.Log and the records log beside it.
QStringList MeasureArguments(const TMeasureChoice& choice);

// Why batch would refuse `choice`, in its words without the usage; nothing
// when it takes it. `largestBlockMiB` is the largest block test 5 takes here.
std::optional<QString> MeasureProblem(const TMeasureChoice& choice, int largestBlockMiB);

// "about 2 min 5 s left" after `done` of `runs` runs took `elapsed`;
// empty before the first run has finished.
QString TimeLeftText(std::chrono::milliseconds elapsed, int done, int runs);

// How the measuring process ended.
struct TMeasureEnd {
    enum class TKind { Done, Stopped, Failed };
    TKind Kind = TKind::Done;
    bool Crashed = false;  // ended by a signal it did not catch, or never started
    int ExitCode = 0;      // when it exited
    QString StartError;    // why it did not start; empty when it did
    QString ErrorOutput;   // its standard error
    bool CancelAsked = false;
    int RunsKept = 0;
    int Runs = 0;
};

// The end classified: a cancel the process obeyed (exit status 143 or 130,
// or killed after the cancel) is Stopped, exit status 0 with every run
// Done, anything else Failed.
TMeasureEnd::TKind MeasureEndKind(const TMeasureEnd& end);

// What the dialog says at the end: what happened, the process's own
// message for a failure, and how many runs the logs keep.
QString MeasureEndText(const TMeasureEnd& end);

}  // namespace vt
