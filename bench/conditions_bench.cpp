// Every figure with the run's conditions sampled against the same figure
// without: the batch run's tests, each run once inside a sampler (its
// thread reading the clocks, temperatures and power supply every quarter
// second, the counters read before and after) and once with no sampler at
// all, alternately. Both sides sleep a second before the test, as Begin
// waits for its second before the run when the sampler is new. The ratio of
// each figure must be one within 5%.
//
// First the sampler's own processor time during a run, which the load of
// other processes cannot blur. Also prints how many of the sampled runs were
// quiet: on a machine shared
// with others, a pair whose ratio strays is often a pair where the sampler
// says why.
//
// The lists and the ellipses are drawn offscreen (or on the display the
// bench is given), the memory test at 64 MiB, the file test over a 64 MiB
// file of its own in the current folder.
//
// Usage: conditions_bench [pairs] (5 unless given).
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>

#include "app/application.h"
#include "app/dialogs.h"
#include "app/environment.h"
#include "batch/batch_tests.h"
#include "bench/bench_dialogs.h"
#include "bench/bench_report.h"
#include "benchmarks/memory_test.h"
#include "platform/system_counters.h"
#include "platform/tick_count.h"
#include "sysinfo/condition_sampler.h"

namespace {

using namespace vt::bench;

constexpr std::int32_t kMemoryMiB = 64;
constexpr std::int64_t kFileBytes = std::int64_t{64} << 20;

struct Figure {
    const char* name;
    const char* unit;
    double vt::TScores::*value;
};

int sampledRuns = 0, quietRuns = 0;

// `pairs` pairs of test `test`: sampled (ours) and not (reference); one row
// per figure.
void Bench(int test, const std::vector<Figure>& figures, int pairs,
           const std::function<void(vt::TScores&)>& run)
{
    std::vector<Pairs> results(figures.size());
    const auto measure = [&](bool sampled) {
        vt::TScores scores;
        if (sampled) {
            vt::TConditionSampler sampler;
            sampler.Begin();
            {
                const vt::TConditionSampler::TPart part(sampler, vt::ThreadUseOfTest(test));
                run(scores);
            }
            const vt::TRunConditions c = sampler.End();
            ++sampledRuns;
            quietRuns += c.Quiet;
            for (const std::string& clause : c.Disturbances)
                Detail("  sampled run %d not quiet: %s\n", sampledRuns, clause.c_str());
        } else {
            vt::Sleep(1000);
            run(scores);
        }
        return scores;
    };
    const auto add = [&](bool ours, const vt::TScores& scores) {
        for (std::size_t i = 0; i < figures.size(); ++i)
            (ours ? results[i].ours : results[i].reference).push_back(scores.*figures[i].value);
    };
    // The first pair is not counted (first-time costs).
    measure(true);
    measure(false);
    for (int i = 0; i < pairs; ++i) {
        if (i % 2 == 0) {
            add(true, measure(true));
            add(false, measure(false));
        } else {
            add(false, measure(false));
            add(true, measure(true));
        }
        for (std::size_t f = 0; f < figures.size(); ++f)
            Detail("%s run %2d: sampled %10.5g  not %10.5g\n", figures[f].name, i + 1,
                   results[f].ours.back(), results[f].reference.back());
    }
    for (std::size_t f = 0; f < figures.size(); ++f)
        ReportRatio(std::string("sampled/not ") + figures[f].name, figures[f].unit, results[f],
                    Target::Within(0.05));
}

}  // namespace

int main(int argc, char** argv)
{
    vt::TApplication app(argc, argv);
    const int pairs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    PrintedDialogs dialogs;
    vt::SetDialogs(&dialogs);
    const vt::TEnvironment env = vt::TEnvironment::System();
    const std::int64_t totalPhysMem = vt::TotalPhysMem32(env.ReadTotalPhysMem());
    vt::TBatchTests tests(env, totalPhysMem,
                          [](const std::string& text) { Detail("%s\n", text.c_str()); });
    const vt::TBatchStep none = [](const char*, const std::string&) {};

    // The sampler's own processor time during a run: the measuring thread
    // sleeps through a run of five seconds, so what the process spends is
    // the sampler's thread and its reads at the run's start and end. Under
    // any load this is a count, not a race: it says how much the sampler
    // could take from a test at most.
    std::vector<double> cost;
    for (int i = 0; i < 3; ++i) {
        vt::TConditionSampler sampler;
        sampler.Begin();
        const double cpu0 = vt::ProcessCpuSeconds();
        const auto wall0 = std::chrono::steady_clock::now();
        {
            const vt::TConditionSampler::TPart part(sampler, vt::ThreadUseOfTest(4));
            vt::Sleep(5000);
        }
        sampler.End();
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
        cost.push_back((vt::ProcessCpuSeconds() - cpu0) / wall * 100);
        Detail("sampler's processor time during a run: %.4f%% of a CPU\n", cost.back());
    }
    ReportLimit("sampler's processor time during a run", "% of a CPU", cost, 0.5);

    // Each test through the runner, its scores copied out for the pair.
    const auto run = [&](int test, const vt::TTestInputs& inputs, vt::TScores& s) {
        tests.Scores() = s;
        tests.Run(test, inputs, none);
        s = tests.Scores();
    };
    vt::TTestInputs inputs;
    inputs.Shapes = "10000";
    inputs.MemoryMiB = std::to_string(kMemoryMiB);
    Bench(1,
          {{"ListCreateTime", "s", &vt::TScores::ListCreateTime},
           {"SortTime", "s", &vt::TScores::SortTime},
           {"SortOutputTime", "s", &vt::TScores::SortOutputTime}},
          pairs, [&](vt::TScores& s) { run(1, inputs, s); });
    Bench(2, {{"CyclesPerSec", "M/s", &vt::TScores::CyclesPerSec}}, pairs,
          [&](vt::TScores& s) { run(2, inputs, s); });
    Bench(3, {{"DrawTime", "s", &vt::TScores::DrawTime}}, pairs,
          [&](vt::TScores& s) { run(3, inputs, s); });
    Bench(5,
          {{"FillMemSpeed", "MiB/s", &vt::TScores::FillMemSpeed},
           {"ReadMemSpeed", "MiB/s", &vt::TScores::ReadMemSpeed}},
          pairs, [&](vt::TScores& s) { run(5, inputs, s); });

    // The file test over a file of its own, removed on every path.
    const std::filesystem::path file = std::filesystem::absolute("vesktest-conditions-bench.tmp");
    struct TRemove {
        std::filesystem::path path;
        ~TRemove() { std::filesystem::remove(path); }
    } remove{file};
    {
        std::ofstream out(file, std::ios::binary);
        std::mt19937_64 random(1);
        std::vector<std::uint64_t> block(1 << 17);
        for (std::int64_t written = 0; written < kFileBytes; written += 1 << 20) {
            for (auto& word : block) word = random();
            out.write(reinterpret_cast<const char*>(block.data()), 1 << 20);
        }
    }
    try {
        Bench(4, {{"HddSpeed", "MiB/s", &vt::TScores::HddSpeed}}, pairs,
              [&](vt::TScores& s) {
                  vt::TTestInputs withFile = inputs;
                  withFile.File = file.string();
                  run(4, withFile, s);
              });
    } catch (const std::exception& e) {
        Detail("the file test could not run here: %s\n", e.what());
    }

    Inform("quiet sampled runs (of " + std::to_string(sampledRuns) + ")", "",
           {static_cast<double>(quietRuns)});
    vt::SetDialogs(nullptr);
    return 0;
}
