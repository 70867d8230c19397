// The list test on this machine. Each pair runs the whole test through the
// window ("1. Create and Sort Lists": ten list-building repetitions into the
// three list boxes and the sorting test) and, alternately, the same ten
// repetitions into plain string lists (records and texts only, no list box).
// The figures are ListCreateTime of both, as the test computes it from the
// tick counter, and the wall-clock time of the whole test. Also the resident
// memory over the runs, which must stay flat.
//
// Runs offscreen unless a platform is chosen. Usage: list_bench [pairs] (15
// unless given).
#include <unistd.h>
#include <QApplication>
#include <QGuiApplication>
#include <QPushButton>
#include <chrono>
#include <cstdlib>
#include <fstream>

#include "app/environment.h"
#include "app/firstcl_.h"
#include "app/widgets/list_box.h"
#include "bench/bench_report.h"
#include "benchmarks/list_test.h"
#include "benchmarks/person.h"

namespace {

// Resident set size in MiB, from /proc/self/statm.
double ResidentMiB()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1048576.0;
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace vt::bench;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int pairs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    vt::TEnvironment env = vt::TEnvironment::System();
    env.MeasureCpuMHz = [] { return 0.0; };  // not needed here; saves 0.6 s
    vt::T_fVesktest window(env);
    window.show();
    QCoreApplication::processEvents();
    Detail("platform %s, %d records x %d repetitions\n",
           qPrintable(QGuiApplication::platformName()), vt::kListRecords, vt::kListRepetitions);

    vt::TStringList items, names, addresses;
    vt::TPersonPool plainPool;
    std::vector<double> whole, resident;
    const Pairs build = RunAlternating(
        "ListCreateTime", pairs,
        [&] {
            const auto t = std::chrono::steady_clock::now();
            window.Button1Click(window.Button1);
            whole.push_back(
                std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count());
            QCoreApplication::processEvents();
            return window.Scores.ListCreateTime;
        },
        [&] {
            const double figure =
                vt::BuildLists(items, names, addresses, plainPool, vt::SystemTicks());
            plainPool.ReleaseUnreferenced({&items});
            return figure;
        });

    // The resident memory over repeated whole runs, with the reference's
    // records gone, so that only the window's count.
    for (vt::TStrings* list : {&items, &names, &addresses}) list->Clear();
    plainPool.ReleaseUnreferenced({});
    constexpr int kMemoryRuns = 10;
    for (int run = 0; run < kMemoryRuns; ++run) {
        window.Button1Click(window.Button1);
        QCoreApplication::processEvents();
        resident.push_back(ResidentMiB());
    }
    Detail(
        "live records after %d more runs: %lld; resident after the first %.1f MiB, after the "
        "last %.1f MiB\n",
        kMemoryRuns, static_cast<long long>(vt::TPerson::LiveCount()), resident.front(),
        resident.back());

    ReportRatio("list ListCreateTime", "s", build, Target::AtMost(4));
    Inform("list whole test (build and sort)", "s", whole);
    Inform("list resident memory growth over 10 runs", "%",
           {(resident.back() - resident.front()) / resident.front() * 100});
    return 0;
}
