// The list test on this machine: the whole test (ten list-building
// repetitions and the sorting test) through the window, and the list building
// into the three list boxes against the same repetitions into plain string
// lists (records and texts only), alternating in one process. Also the
// resident memory over repeated whole runs, which must stay flat.
//
// Run with QT_QPA_PLATFORM=offscreen (or on a display).
#include <QApplication>
#include <QGuiApplication>
#include <QPushButton>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <vector>

#include "app/environment.h"
#include "app/firstcl_.h"
#include "app/widgets/list_box.h"
#include "benchmarks/list_test.h"
#include "benchmarks/person.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point from)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Resident set size in MiB, from /proc/self/statm.
double ResidentMiB()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * 4096.0 / 1048576.0;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    vt::TEnvironment env = vt::TEnvironment::System();
    env.MeasureCpuMHz = [] { return 0.0; };  // not needed here; saves 0.6 s
    vt::T_fVesktest window(env);
    window.show();
    QCoreApplication::processEvents();
    std::printf("platform %s, %d records x %d repetitions\n",
                qPrintable(QGuiApplication::platformName()), vt::kListRecords,
                vt::kListRepetitions);

    // Boxes against plain lists, alternating; times per repetition.
    const int runs = 7;
    std::vector<double> boxes, plain, ratios;
    vt::TStringList items, names, addresses;
    vt::TPersonPool plainPool;
    for (int run = 0; run < runs; ++run) {
        auto t = Clock::now();
        vt::BuildLists(window.ListBox1->Items(), window.ListBox2->Items(), window.ListBox3->Items(),
                       window.PersonPool, vt::SystemTicks());
        const double box = Ms(t) / vt::kListRepetitions;
        window.PersonPool.ReleaseUnreferenced(
            {&window.ListBox1->Items(), window.SortItemList.get()});

        t = Clock::now();
        vt::BuildLists(items, names, addresses, plainPool, vt::SystemTicks());
        const double ref = Ms(t) / vt::kListRepetitions;
        plainPool.ReleaseUnreferenced({&items});

        boxes.push_back(box);
        plain.push_back(ref);
        ratios.push_back(box / ref);
        std::printf(
            "run %d: list boxes %.1f ms/repetition, plain lists %.1f ms/repetition, ratio %.2f\n",
            run + 1, box, ref, box / ref);
    }
    std::printf("median: list boxes %.1f ms, plain lists %.1f ms, ratio %.2f (goal <= 4)\n",
                Median(boxes), Median(plain), Median(ratios));

    // The whole test through the window, with the resident memory after each
    // run. The reference's records go first, so the live count is the
    // window's alone.
    for (vt::TStringList* list : {&items, &names, &addresses}) list->Clear();
    plainPool.ReleaseUnreferenced({});
    const int wholeRuns = 10;
    std::vector<double> whole;
    double firstRss = 0, lastRss = 0;
    for (int run = 0; run < wholeRuns; ++run) {
        const auto t = Clock::now();
        window.Button1Click(window.Button1);
        whole.push_back(Ms(t));
        QCoreApplication::processEvents();
        const double rss = ResidentMiB();
        if (run == 0) firstRss = rss;
        lastRss = rss;
        std::printf(
            "whole test %d: %.0f ms (ListCreateTime %.4f s, SortTime %.4f s, SortOutputTime %.4f "
            "s), resident %.1f MiB, live records %lld\n",
            run + 1, whole.back(), window.Scores.ListCreateTime, window.Scores.SortTime,
            window.Scores.SortOutputTime, rss, static_cast<long long>(vt::TPerson::LiveCount()));
    }
    std::printf(
        "whole test median %.0f ms; resident after run 1 %.1f MiB, after run %d %.1f MiB "
        "(%+.1f%%)\n",
        Median(whole), firstRss, wholeRuns, lastRss, (lastRss - firstRss) / firstRss * 100);
    return 0;
}
