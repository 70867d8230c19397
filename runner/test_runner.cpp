#include "runner/test_runner.h"

#include <new>

#include "benchmarks/list_sort_run.h"
#include "platform/convert.h"
#include "platform/direct_file.h"
#include "platform/file_system_type.h"
#include "platform/number_format.h"
#include "platform/random.h"
#include "results/score_table.h"

namespace vt {

namespace {

constexpr const char* kFileTooSmall = "Size of file must be > 1mb";

// The row of `member` in the score table, for the Figure hook.
std::size_t Row(double TScores::*member)
{
    for (std::size_t i = 0; i < kScoreTable.size(); ++i)
        if (kScoreTable[i].Value == member) return i;
    return kScoreTable.size();
}

void Step(const TTestHooks& hooks, int test, int part, const std::string& what)
{
    if (hooks.Step) hooks.Step(test, part, what);
}

void Figure(const TTestHooks& hooks, double TScores::*member, long double value)
{
    if (hooks.Figure) hooks.Figure(Row(member), value);
}

}  // namespace

ENotBuilt::ENotBuilt(int test) : Exception("Test " + std::to_string(test) + " is not built yet") {}

const char* TestName(int test)
{
    switch (test) {
        case 1:
            return "1. Create and Sort Lists";
        case 2:
            return "2. 10^9 Cycles";
        case 3:
            return "3. Draw Shapes";
        case 4:
            return "4. HDD Speed (File Reading)";
        case 5:
            return "5. FillChar & ReadChar";
        case 6:
            return "6. Every Core";
        case 7:
            return "7. Disk profile";
        default:
            return "";
    }
}

int TestParts(int test, const TCpuLayout& layout)
{
    switch (test) {
        case 1:
            return 2;
        case 5:
            return 3;
        case 6:
            return EveryCoreParts(layout);
        case 7:
            // The test file is written, then the eight figures measured.
            return 1 + static_cast<int>(kDiskPhases.size());
        default:
            return 1;
    }
}

std::optional<std::string> FileTestProblem(const std::string& name)
{
    if (name.empty() || !FileExists(name) || DirectoryEntrySize(name) <= kFileReadMinSize)
        return std::string(kFileTooSmall);
    return std::nullopt;
}

std::string WrongBytesText(std::int64_t wrongBytes)
{
    return IntToStr(wrongBytes) + " errors";
}

std::int32_t DefaultMemoryMiB(std::int64_t totalPhysMem)
{
    return DefaultBlockMiB(totalPhysMem);
}

std::string DefaultDescription(std::string_view vendor, double cpuMHz)
{
    return std::string(vendor) + IntToStr(RoundHalfEven(cpuMHz)) + "/";
}

std::string DefaultLabel(std::string_view diskSizeText)
{
    return std::string(diskSizeText) + "gb/";
}

TTestOutcome TTestRunner::Run(int test, const TTestMachine& machine, const TTestInputs& inputs,
                              const TTestHooks& hooks)
{
    TTestOutcome out;
    out.Test = test;
    switch (test) {
        case 1:
            Lists(machine, hooks);
            break;
        case 2:
            Cycles(machine, hooks, out);
            break;
        case 3:
            Shapes(machine, inputs, hooks, out);
            break;
        case 4:
            File(machine, inputs, hooks, out);
            break;
        case 5:
            Memory(machine, inputs, hooks, out);
            break;
        case 6:
            EveryCore(machine, inputs, hooks, out);
            break;
        case 7:
            Disk(machine, inputs, hooks, out);
            break;
        default:
            throw ENotBuilt(test);
    }
    return out;
}

void TTestRunner::Lists(const TTestMachine& machine, const TTestHooks& hooks)
{
    const TListScreen screen = hooks.Lists();
    TListTestShow show;
    show.ListCreateTime = [&](double f) { Figure(hooks, &TScores::ListCreateTime, f); };
    show.SortTime = [&](double f) { Figure(hooks, &TScores::SortTime, f); };
    show.SortOutputTime = [&](double f) { Figure(hooks, &TScores::SortOutputTime, f); };
    show.Between = [&] { Step(hooks, 1, 1, "sorting"); };
    Step(hooks, 1, 0, "building the lists");
    RunListTest(screen.Lists, screen.Pool, machine.Ticks, Scores, show);
}

void TTestRunner::Cycles(const TTestMachine& machine, const TTestHooks& hooks, TTestOutcome& out)
{
    Step(hooks, 2, 0, "the empty loop");
    out.Cycles = TimeEmptyLoop(machine.EmptyLoop, machine.Ticks);
    Scores.CyclesPerSec = out.Cycles.CyclesPerSec;
    Figure(hooks, &TScores::CyclesPerSec, Scores.CyclesPerSec);
}

void TTestRunner::Shapes(const TTestMachine& machine, const TTestInputs& inputs,
                         const TTestHooks& hooks, TTestOutcome& out)
{
    // Every run draws anew: runs at different times do not repeat each other.
    if (machine.SeedRandom)
        machine.SeedRandom();
    else
        Randomize();
    Step(hooks, 3, 0, "drawing the ellipses");
    hooks.Panel([&](TEllipseCanvas& canvas) {
        out.Ellipses = DrawEllipses(inputs.Shapes, canvas, machine.Ticks, hooks.Stop);
    });
    Scores.DrawTime = DrawTimeSeconds(out.Ellipses.Elapsed);
    Figure(hooks, &TScores::DrawTime, Scores.DrawTime);
}

void TTestRunner::File(const TTestMachine& machine, const TTestInputs& inputs,
                       const TTestHooks& hooks, TTestOutcome& out)
{
    out.Refused = FileTestProblem(inputs.File);
    if (out.Refused) return;
    Step(hooks, 4, 0, "reading the file");
    // A file in memory or behind a link is still measured, but the figure is
    // not a disk's, and the user is told.
    const std::string warning = NotADiskWarning(inputs.File, FileSystemTypeOf(inputs.File));
    if (!warning.empty() && hooks.Message) hooks.Message(warning);
    // The test's own failures are the outcome's, not errors: the handle and
    // the buffer are released before they are told.
    try {
        out.File = MeasureFileRead(inputs.File, machine.Ticks);
    } catch (const EZeroDivide& e) {
        out.Failure = e.what();
        out.FileTooQuick = true;
        return;
    } catch (const std::bad_alloc&) {
        out.Failure = EOutOfMemory().Message();
        return;
    } catch (const std::exception& e) {
        out.Failure = e.what();
        return;
    }
    Scores.HddSpeed = static_cast<double>(out.File.HddSpeed);
    Figure(hooks, &TScores::HddSpeed, out.File.HddSpeed);
}

void TTestRunner::Memory(const TTestMachine& machine, const TTestInputs& inputs,
                         const TTestHooks& hooks, TTestOutcome& out)
{
    const std::int32_t typed = StrToIntDef(inputs.MemoryMiB, 1);
    out.Block = ChooseBlockSize(typed, machine.TotalPhysMem);
    if (hooks.BlockChosen) hooks.BlockChosen(typed, out.Block);
    RefuseBlockBeyond(out.Block.Bytes, machine.AvailableMemory());
    TMemoryBlock block(out.Block.Bytes);
    const std::string blockText = IntToStr(out.Block.Bytes / kMiB) + " MiB";
    TMemoryTestSteps steps;
    steps.Filled = [&](long double fillSpeed) {
        Scores.FillMemSpeed = static_cast<double>(fillSpeed);
        Figure(hooks, &TScores::FillMemSpeed, fillSpeed);
        Step(hooks, 5, 1, "counting passes over " + blockText);
    };
    steps.Counted = [&](long double readSpeed) {
        Scores.ReadMemSpeed = static_cast<double>(readSpeed);
        Figure(hooks, &TScores::ReadMemSpeed, readSpeed);
        Step(hooks, 5, 2, "checking " + blockText);
    };
    steps.BeforeCheck = hooks.BeforeMemoryCheck;
    steps.Stop = hooks.Stop;
    steps.Pass = hooks.Pass;
    Step(hooks, 5, 0, "filling " + blockText);
    out.WrongBytes = RunMemoryPasses(block, inputs.MemoryPasses, machine.Ticks, steps);
}

void TTestRunner::EveryCore(const TTestMachine& machine, const TTestInputs& inputs,
                            const TTestHooks& hooks, TTestOutcome& out)
{
    // The block of test 5's size, chosen and refused as test 5 chooses it.
    out.Block = ChooseBlockSize(StrToIntDef(inputs.MemoryMiB, 1), machine.TotalPhysMem);
    RefuseBlockBeyond(out.Block.Bytes, machine.AvailableMemory());
    TEveryCoreInputs every;
    every.BlockBytes = out.Block.Bytes;
    every.Passes = inputs.MemoryPasses;
    int part = 0;
    TEveryCoreSteps steps;
    steps.Part = [&](const std::string& what) { Step(hooks, 6, part++, what); };
    steps.BeforeCheck = hooks.BeforeMemoryCheck;
    steps.Stop = hooks.Stop;
    const TThreadGang gang = machine.Gang ? machine.Gang : PinnedThreadGang(machine.Ticks);
    const TEveryCoreResult result = RunEveryCore(inputs.Layout, every, gang, steps);
    if (!result.Note.empty() && hooks.Message) hooks.Message(result.Note);
    out.WrongBytes = result.WrongBytes;
    Scores.CyclesPerSecAll = result.CyclesPerSecAll;
    Scores.CyclesPerSecCores = result.CyclesPerSecCores;
    Scores.FillMemSpeedAll = result.FillMemSpeedAll;
    Scores.ReadMemSpeedAll = result.ReadMemSpeedAll;
    for (auto member : {&TScores::CyclesPerSecAll, &TScores::CyclesPerSecCores,
                        &TScores::FillMemSpeedAll, &TScores::ReadMemSpeedAll})
        Figure(hooks, member, Scores.*member);
    out.EveryCore = EveryCoreDetails(inputs.Layout, result);
}

void TTestRunner::Disk(const TTestMachine& machine, const TTestInputs& inputs,
                       const TTestHooks& hooks, TTestOutcome& out)
{
    TDiskProfileSettings settings;
    settings.Folder = inputs.DiskFolder;
    settings.FileMiB = inputs.DiskMiB;
    settings.MillisecondsPerFigure = inputs.DiskSeconds * 1000;
    int part = 0;
    const TDiskProfile profile = MeasureDiskProfile(
        settings, machine.Ticks, hooks.Stop,
        [&](const std::string& text) {
            if (hooks.Message) hooks.Message(text);
        },
        [&](const std::string& what) { Step(hooks, 7, part++, what); });
    StoreDiskScores(profile, Scores);
    for (const TScoreRow& row : kScoreTable)
        if (row.Test == 7) Figure(hooks, row.Value, Scores.*row.Value);
    out.Disk = profile.Details;
}

}  // namespace vt
