#include "benchmarks/every_core.h"

#include <algorithm>
#include <cstring>

#include "platform/stop_request.h"

namespace vt {

namespace {

constexpr std::int64_t kPage = 4096;

void LookForStop(const std::atomic<int>* stop)
{
    if (stop == nullptr) return;
    if (const int signal = stop->load(std::memory_order_relaxed)) throw TStopRequest{signal};
}

std::string Plural(std::size_t count, const char* word)
{
    return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

// The loop of test 2 on every CPU of `cpus`; its figure.
double LoopPart(const std::vector<int>& cpus, const TEveryCoreInputs& inputs,
                const TThreadGang& gang, const TEveryCoreSteps& steps, const std::string& part)
{
    LookForStop(steps.Stop);
    if (steps.Part) steps.Part(part);
    TGangWork work;
    work.Work = [&](std::size_t) {
        for (std::int32_t left = inputs.LoopCount; left > 0;) {
            LookForStop(steps.Stop);
            const std::int32_t chunk = std::min(left, std::max<std::int32_t>(1, inputs.LoopChunk));
            EmptyLoop(chunk);
            left -= chunk;
        }
    };
    return EveryCoreLoopFigure(cpus.size(), gang(cpus, work), inputs.LoopCount);
}

}  // namespace

TEveryCorePlan PlanEveryCore(const TCpuLayout& layout)
{
    TEveryCorePlan plan;
    plan.AllCpus = layout.Cpus;
    plan.Kinds.resize(layout.Kinds.size());
    for (std::size_t k = 0; k < layout.Kinds.size(); ++k) plan.Kinds[k].Name = layout.Kinds[k].Name;
    for (const TPhysicalCore& core : layout.Cores) {
        plan.CoreCpus.push_back(core.Cpus.front());
        if (core.Kind >= 0)
            plan.Kinds[static_cast<std::size_t>(core.Kind)].Cpus.push_back(core.Cpus.front());
    }
    return plan;
}

int EveryCoreParts(const TCpuLayout& layout)
{
    // Every CPU, every core, each kind, fill, count, check.
    return 5 + static_cast<int>(layout.Kinds.size());
}

double EveryCoreLoopFigure(std::size_t threads, std::int32_t elapsedMs, std::int32_t count)
{
    return static_cast<double>(static_cast<long double>(threads) *
                               EmptyLoopFigures(elapsedMs, count).CyclesPerSec);
}

std::vector<std::int64_t> EveryCoreSlices(std::int64_t wholeBytes, std::size_t threads)
{
    std::vector<std::int64_t> offsets{0};
    const auto n = static_cast<std::int64_t>(std::max<std::size_t>(threads, 1));
    const std::int64_t pages = wholeBytes / kPage;
    // Whole pages, as evenly as they divide: the first pages % n slices take
    // one page more. The tail of a partial page goes to the last slice.
    for (std::int64_t i = 1; i < n; ++i)
        offsets.push_back(pages / n * i * kPage + std::min(i, pages % n) * kPage);
    offsets.push_back(wholeBytes);
    return offsets;
}

std::string EveryCoreNote(const TCpuLayout& layout)
{
    const std::size_t used = layout.Cpus.size();
    if (used == 1)
        return "only CPU " + std::to_string(layout.Cpus.front()) + " of " +
               Plural(static_cast<std::size_t>(layout.MachineCpus), "CPU") +
               " may be used: the every-core figures are one thread's";
    if (static_cast<int>(used) < layout.MachineCpus)
        return std::to_string(used) + " of " + std::to_string(layout.MachineCpus) +
               " CPUs may be used: the every-core figures are theirs";
    return {};
}

TEveryCoreResult RunEveryCore(const TCpuLayout& layout, const TEveryCoreInputs& inputs,
                              const TThreadGang& gang, const TEveryCoreSteps& steps)
{
    const TEveryCorePlan plan = PlanEveryCore(layout);
    TEveryCoreResult result;
    result.Note = EveryCoreNote(layout);

    result.CyclesPerSecAll = LoopPart(plan.AllCpus, inputs, gang, steps,
                                      "the loop on " + Plural(plan.AllCpus.size(), "CPU"));
    result.CyclesPerSecCores =
        LoopPart(plan.CoreCpus, inputs, gang, steps,
                 "the loop on " + Plural(plan.CoreCpus.size(), "core") + ", one CPU each");
    for (const TEveryCorePlan::TKind& kind : plan.Kinds) {
        TCoreKindFigure figure;
        figure.Kind = kind.Name;
        figure.Cpus = kind.Cpus;
        figure.CyclesPerSec =
            LoopPart(kind.Cpus, inputs, gang, steps,
                     "the loop on " + Plural(kind.Cpus.size(), "core") + " (" + kind.Name + ")");
        result.CoreKinds.push_back(figure);
    }

    LookForStop(steps.Stop);
    const std::vector<int>& cpus = plan.CoreCpus;
    const std::int64_t M = inputs.BlockBytes / kMiB;
    const std::int64_t W = M * kMiB;
    result.BlockMiB = M;
    const std::string blockText = std::to_string(M) + " MiB";
    // Malloc's pages of a large block are not yet mapped: each thread's
    // first write maps its slice where it runs.
    TMemoryBlock block(inputs.BlockBytes);
    const std::vector<std::int64_t> slices = EveryCoreSlices(W, cpus.size());
    const auto sliceOf = [&](std::size_t i) {
        return std::pair{block.Data() + slices[i], slices[i + 1] - slices[i]};
    };

    if (steps.Part) steps.Part("filling " + blockText + " on " + Plural(cpus.size(), "thread"));
    TGangWork fill;
    fill.Prepare = [&](std::size_t i) {
        const auto [data, size] = sliceOf(i);
        std::memset(data, 0, static_cast<std::size_t>(size));
    };
    fill.Work = [&](std::size_t i) {
        const auto [data, size] = sliceOf(i);
        for (int pass = 0; pass < inputs.Passes; ++pass) {
            LookForStop(steps.Stop);
            std::memset(data, kMemoryPattern, static_cast<std::size_t>(size));
            // As in test 5: every pass stores for real.
            asm volatile("" : : "r"(data) : "memory");
        }
    };
    result.FillMemSpeedAll = static_cast<double>(MemorySpeed(M, inputs.Passes, gang(cpus, fill)));

    LookForStop(steps.Stop);
    if (steps.Part) steps.Part("counting passes over " + blockText);
    TGangWork count;
    count.Work = [&](std::size_t i) {
        for (int pass = 0; pass < inputs.Passes; ++pass) {
            LookForStop(steps.Stop);
            CountingPass(sliceOf(i).second);
        }
    };
    result.ReadMemSpeedAll = static_cast<double>(MemorySpeed(M, inputs.Passes, gang(cpus, count)));

    LookForStop(steps.Stop);
    if (steps.Part) steps.Part("checking " + blockText);
    if (steps.BeforeCheck) steps.BeforeCheck(block.Data(), W);
    std::vector<std::int64_t> wrong(cpus.size(), 0);
    TGangWork check;
    check.Work = [&](std::size_t i) {
        const auto [data, size] = sliceOf(i);
        wrong[i] = CountWrongBytes(data, size);
    };
    gang(cpus, check);
    for (const std::int64_t w : wrong) result.WrongBytes += w;
    block.Release();
    return result;
}

TEveryCoreDetails EveryCoreDetails(const TCpuLayout& layout, const TEveryCoreResult& result)
{
    TEveryCoreDetails details;
    details.PhysicalCores = static_cast<int>(layout.Cores.size());
    details.CpusUsed = static_cast<int>(layout.Cpus.size());
    details.Smt = layout.Smt();
    details.NumaNodes = layout.NumaNodes;
    details.CoreKinds = result.CoreKinds;
    return details;
}

std::optional<double> EveryCoreScaling(double cyclesPerSecAll, double cyclesPerSec)
{
    if (cyclesPerSecAll <= 0 || cyclesPerSec <= 0) return std::nullopt;
    return cyclesPerSecAll / cyclesPerSec;
}

}  // namespace vt
