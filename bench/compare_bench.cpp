// Opening a results log in the Compare window's table. Each pair reads a
// 100,000-line log and parses it into the table's records (LoadLog and the
// rows of the table, as the window does off its GUI thread) and, alternately,
// reads the same file's lines into strings alone (results_log::Load). The
// figure is the wall-clock time of each; parsing must cost at most three
// times the plain read.
//
// Usage: compare_bench [pairs] (11 unless given).
#include <QCoreApplication>
#include <QTemporaryDir>
#include <chrono>
#include <cstdlib>
#include <fstream>

#include "bench/bench_report.h"
#include "compare/compare_table.h"
#include "platform/cp1251.h"
#include "results/result_line.h"
#include "results/results_log.h"

namespace {

constexpr int kLines = 100000;

template <class Work>
double Seconds(Work work)
{
    const auto t = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace vt::bench;
    QCoreApplication app(argc, argv);
    const int pairs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 11;
    QTemporaryDir dir;
    const QString path = dir.filePath("Result3.txt");
    {
        // Lines of several machines under both separators, with Cyrillic
        // descriptions, as a log collected over years looks.
        std::ofstream log(path.toStdString(), std::ios::binary);
        for (const std::string& h : vt::ResultsLogHeader()) log << h << "\r\n";
        for (int i = 0; i < kLines; ++i) {
            const double f = 1 + (i % 97) / 10.0;
            const vt::TScores s{0.3 * f,  0.04 * f, 0.5 * f, 900 / f,
                                1500 / f, 400 / f,  1.1 * f, 60 / f};
            log << vt::FormatResultLine(
                       s, vt::Ansi(i % 3 ? "Машина " : "Machine ") + std::to_string(i % 50),
                       "WD" + std::to_string(i % 7), {i % 2 ? ',' : '.', ' '})
                << "\r\n";
        }
    }
    Detail("log of %d lines\n", kLines);

    std::size_t rows = 0, lines = 0;
    const Pairs open = RunAlternating(
        "open", pairs,
        [&] { return Seconds([&] { rows = vt::RowsOf(vt::LoadLog(path)).size(); }); },
        [&] {
            return Seconds([&] { lines = vt::results_log::Load(path.toStdString())->size(); });
        });
    Detail("%zu rows parsed, %zu lines read\n", rows, lines);
    if (rows != static_cast<std::size_t>(kLines)) return 1;
    ReportRatio("compare open 100,000-line log vs read lines", "s", open, Target::AtMost(3));
    return 0;
}
