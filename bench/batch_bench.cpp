// The batch run's figures against the window's, for the same tests on the
// same machine in one process. Each pair runs a test through the window's
// handler and, alternately, through the batch run's own list boxes, panel
// and memory block. Then the batch run's figures with and without its
// progress line (drawn for each part, as on a terminal, into /dev/null), to
// show that the progress does not touch the timed stretches.
//
// The lists and the ellipses are drawn on a display when there is one, like
// the window's, and offscreen (tools/bench runs both); the memory test at
// 64 MiB, the file test left out (the hdd bench measures the same reading
// function).
//
// Usage: batch_bench [pairs] (5 unless given).
#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/application.h"
#include "app/dialogs.h"
#include "app/environment.h"
#include "app/firstcl_.h"
#include "app/widgets/page_control.h"
#include "batch/batch_progress.h"
#include "batch/batch_tests.h"
#include "bench/bench_dialogs.h"
#include "bench/bench_report.h"
#include "platform/tick_count.h"

namespace {

constexpr std::int32_t kMemoryMiB = 64;

void ShowPage(vt::T_fVesktest& window, QWidget* page)
{
    for (int i = 0; i < window.PageControl1->PageCount(); ++i)
        if (window.PageControl1->Page(i) == page) window.PageControl1->SetActivePageIndex(i);
    QCoreApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace vt::bench;
    vt::TApplication app(argc, argv);
    const int pairs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    vt::bench::PrintedDialogs dialogs;
    vt::SetDialogs(&dialogs);

    vt::TEnvironment env = vt::TEnvironment::System();
    env.MeasureCpuMHz = [] { return 0.0; };  // not needed here; saves 0.6 s
    vt::T_fVesktest window(env);
    window.show();
    for (int i = 0; i < 200 && !(window.windowHandle() && window.windowHandle()->isExposed());
         ++i) {
        QCoreApplication::processEvents();
        vt::Sleep(10);
    }
    window.Edit5->setText(QString::number(kMemoryMiB));
    const std::string platform = qPrintable(QGuiApplication::platformName());
    Detail("platform %s\n", platform.c_str());

    vt::TBatchTests batch(env, window.TotalPhysMem,
                          [](const std::string& text) { Detail("%s\n", text.c_str()); });
    vt::TScores scores;
    const vt::TBatchStep quiet = [](const char*, const std::string&) {};
    std::FILE* devNull = std::fopen("/dev/null", "w");
    vt::TBatchProgress progress(true, 1000, devNull ? devNull : stderr);
    const vt::TBatchStep drawn = [&](const char* test, const std::string& part) {
        progress.Begin(test, part);
    };
    auto settle = [] { QCoreApplication::processEvents(); };

    ShowPage(window, window.TabSheet1);
    const Pairs lists = RunAlternating(
        "ListCreateTime", pairs,
        [&] {
            window.Button1Click(window.Button1);
            settle();
            return window.Scores.ListCreateTime;
        },
        [&] {
            batch.Lists(scores, quiet);
            settle();
            return scores.ListCreateTime;
        });
    const Pairs cycles = RunAlternating(
        "CyclesPerSec", pairs,
        [&] {
            window.Button3Click(window.Button3);
            settle();
            return window.Scores.CyclesPerSec;
        },
        [&] {
            batch.Cycles(scores, quiet);
            return scores.CyclesPerSec;
        });
    ShowPage(window, window.TabSheet2);
    const Pairs shapes = RunAlternating(
        "DrawTime", pairs,
        [&] {
            window.BitBtn1Click(window.BitBtn1);
            settle();
            return window.Scores.DrawTime;
        },
        [&] {
            batch.Shapes(scores, 10000, quiet);
            settle();
            return scores.DrawTime;
        });
    Pairs fill, read;
    RunAlternating(
        "FillMemSpeed", pairs,
        [&] {
            window.RxSpeedButton4Click(window.RxSpeedButton4);
            settle();
            fill.ours.push_back(window.Scores.FillMemSpeed);
            read.ours.push_back(window.Scores.ReadMemSpeed);
            return window.Scores.FillMemSpeed;
        },
        [&] {
            batch.Memory(scores, kMemoryMiB, quiet);
            fill.reference.push_back(scores.FillMemSpeed);
            read.reference.push_back(scores.ReadMemSpeed);
            return scores.FillMemSpeed;
        });
    // The warm-up pair is not counted.
    for (Pairs* p : {&fill, &read}) {
        p->ours.erase(p->ours.begin());
        p->reference.erase(p->reference.begin());
    }

    // With the progress drawn (ours) and without it (reference).
    const Pairs listsProgress = RunAlternating(
        "ListCreateTime progress", pairs,
        [&] {
            batch.Lists(scores, drawn);
            settle();
            return scores.ListCreateTime;
        },
        [&] {
            batch.Lists(scores, quiet);
            settle();
            return scores.ListCreateTime;
        });
    Pairs fillProgress, readProgress;
    RunAlternating(
        "FillMemSpeed progress", pairs,
        [&] {
            batch.Memory(scores, kMemoryMiB, drawn);
            fillProgress.ours.push_back(scores.FillMemSpeed);
            readProgress.ours.push_back(scores.ReadMemSpeed);
            return scores.FillMemSpeed;
        },
        [&] {
            batch.Memory(scores, kMemoryMiB, quiet);
            fillProgress.reference.push_back(scores.FillMemSpeed);
            readProgress.reference.push_back(scores.ReadMemSpeed);
            return scores.FillMemSpeed;
        });
    for (Pairs* p : {&fillProgress, &readProgress}) {
        p->ours.erase(p->ours.begin());
        p->reference.erase(p->reference.begin());
    }
    progress.Clear();
    if (devNull) std::fclose(devNull);

    // Window (ours) against batch (reference): the same functions on the same
    // kind of widgets, so the ratio is one within the noise of each figure.
    ReportRatio("window/batch ListCreateTime", "s", lists, Target::Within(0.15));
    ReportRatio("window/batch CyclesPerSec", "M/s", cycles, Target::Within(0.05));
    // On an X display without a compositor the server copies to the screen
    // only what can be seen, and the batch run's panel is kept out of sight:
    // its figure there leaves out that copy and is printed for information.
    // Offscreen both paint into memory alike, and the target applies.
    const bool offscreen = platform == "offscreen";
    ReportRatio("window/batch DrawTime (" + platform + ")", "s", shapes,
                offscreen ? Target::Within(0.15) : Target::None());
    ReportRatio("window/batch FillMemSpeed", "MiB/s", fill, Target::Within(0.10));
    ReportRatio("window/batch ReadMemSpeed", "MiB/s", read, Target::Within(0.05));
    ReportRatio("batch progress/none ListCreateTime", "s", listsProgress, Target::Within(0.15));
    ReportRatio("batch progress/none FillMemSpeed", "MiB/s", fillProgress, Target::Within(0.10));
    ReportRatio("batch progress/none ReadMemSpeed", "MiB/s", readProgress, Target::Within(0.05));
    vt::SetDialogs(nullptr);
    return 0;
}
