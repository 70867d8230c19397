// The batch run's figures with and without its progress line (drawn for
// each part, as on a terminal, into /dev/null), to show that the progress
// does not touch the timed stretches. (The window and batch run the tests
// through one runner, so their figures need no comparison here; a test
// checks that both get the same scores from the same ticks.)
//
// The lists are drawn on a display when there is one, like the window's, and
// offscreen (tools/bench runs both); the memory test at 64 MiB.
//
// Usage: batch_bench [pairs] (5 unless given).
#include <QApplication>
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/application.h"
#include "app/dialogs.h"
#include "app/environment.h"
#include "batch/batch_progress.h"
#include "batch/batch_tests.h"
#include "bench/bench_dialogs.h"
#include "bench/bench_report.h"
#include "benchmarks/memory_test.h"
#include "platform/number_format.h"

namespace {

constexpr std::int32_t kMemoryMiB = 64;

}  // namespace

int main(int argc, char** argv)
{
    using namespace vt::bench;
    vt::TApplication app(argc, argv);
    const int pairs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    vt::bench::PrintedDialogs dialogs;
    vt::SetDialogs(&dialogs);

    const vt::TEnvironment env = vt::TEnvironment::System();
    const std::string platform = qPrintable(QGuiApplication::platformName());
    Detail("platform %s\n", platform.c_str());

    vt::TBatchTests batch(env, vt::TotalPhysMem32(env.ReadTotalPhysMem()),
                          [](const std::string& text) { Detail("%s\n", text.c_str()); });
    vt::TTestInputs inputs;
    inputs.MemoryMiB = vt::IntToStr(kMemoryMiB);
    const vt::TScores& scores = batch.Scores();
    const vt::TBatchStep quiet = [](const char*, const std::string&) {};
    std::FILE* devNull = std::fopen("/dev/null", "w");
    vt::TBatchProgress progress(true, 1000, devNull ? devNull : stderr);
    const vt::TBatchStep drawn = [&](const char* test, const std::string& part) {
        progress.Begin(test, part);
    };
    auto settle = [] { QCoreApplication::processEvents(); };

    // With the progress drawn (ours) and without it (reference).
    const Pairs listsProgress = RunAlternating(
        "ListCreateTime progress", pairs,
        [&] {
            batch.Run(1, inputs, drawn);
            settle();
            return scores.ListCreateTime;
        },
        [&] {
            batch.Run(1, inputs, quiet);
            settle();
            return scores.ListCreateTime;
        });
    Pairs fillProgress, readProgress;
    RunAlternating(
        "FillMemSpeed progress", pairs,
        [&] {
            batch.Run(5, inputs, drawn);
            fillProgress.ours.push_back(scores.FillMemSpeed);
            readProgress.ours.push_back(scores.ReadMemSpeed);
            return scores.FillMemSpeed;
        },
        [&] {
            batch.Run(5, inputs, quiet);
            fillProgress.reference.push_back(scores.FillMemSpeed);
            readProgress.reference.push_back(scores.ReadMemSpeed);
            return scores.FillMemSpeed;
        });
    // The warm-up pair is not counted.
    for (Pairs* p : {&fillProgress, &readProgress}) {
        p->ours.erase(p->ours.begin());
        p->reference.erase(p->reference.begin());
    }
    progress.Clear();
    if (devNull) std::fclose(devNull);

    ReportRatio("batch progress/none ListCreateTime", "s", listsProgress, Target::Within(0.15));
    ReportRatio("batch progress/none FillMemSpeed", "MiB/s", fillProgress, Target::Within(0.10));
    ReportRatio("batch progress/none ReadMemSpeed", "MiB/s", readProgress, Target::Within(0.05));
    vt::SetDialogs(nullptr);
    return 0;
}
