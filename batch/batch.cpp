#include "batch/batch.h"

#include <QGuiApplication>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <optional>

#include "app/display.h"
#include "app/environment.h"
#include "app/error_handler.h"
#include "app/run_record_facts.h"
#include "batch/batch_options.h"
#include "batch/batch_output.h"
#include "batch/batch_progress.h"
#include "batch/batch_record.h"
#include "batch/batch_summary.h"
#include "batch/batch_tests.h"
#include "benchmarks/every_core.h"
#include "benchmarks/memory_test.h"
#include "platform/cp1251.h"
#include "platform/cpu_layout.h"
#include "platform/local_time.h"
#include "platform/log_file.h"
#include "platform/machine.h"
#include "platform/number_format.h"
#include "platform/stop_request.h"
#include "platform/terminal.h"
#include "platform/user_folders.h"
#include "results/log_location.h"
#include "results/records_log.h"
#include "results/result_line.h"
#include "results/results_log.h"
#include "sysinfo/condition_sampler.h"
#include "sysinfo/probes.h"

namespace vt {

namespace {

// A failure whose text is written as it stands.
struct TBatchFailure {
    std::string Text;
};

// Standard output, every write checked: a full disk, a closed descriptor or
// a reader that has gone ends the run with the system's reason.
class TOutput {
public:
    explicit TOutput(bool closed) : closed_(closed) {}

    void Write(const std::string& text) const
    {
        errno = 0;
        const bool written = !closed_ &&
                             std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
                             std::fflush(stdout) == 0;
        if (written) return;
        const int code = closed_ ? EBADF : errno != 0 ? errno : EIO;
        std::clearerr(stdout);
        throw TBatchFailure{"vesktest batch: cannot write standard output: " + ErrnoText(code)};
    }

private:
    bool closed_;
};

// The window's message for a failed Save, with the file and the system's
// reason added: "I/O error 2. /srv/Result3.txt: No such file or directory".
std::string SaveFailureText(const EInOutError& e, const std::string& log)
{
    std::string where = log.empty() ? e.Path() : log;
    if (!log.empty() && !e.Path().empty() && e.Path() != log)
        where += " (its link leads to " + e.Path() + ")";
    return ErrorBoxText(e.Message()) + (where.empty() ? "" : " " + where) + ": " +
           ErrnoText(e.ErrorCode());
}

// Saves the run: its result line to the results log `log`, then its whole
// record, the line included, to the records log beside it.
void Save(const std::string& log, const TRunRecord& record)
{
    std::string failed = log;
    try {
        SaveBatchRun(log, record, failed);
    } catch (const EInOutError& e) {
        throw TBatchFailure{SaveFailureText(e, failed)};
    }
}

// A log that cannot take the runs' lines: found before anything runs.
struct TLogRefusal {
    std::string Text;
};

// The log --save appends to, its folder made and its file checked, so that
// a log that cannot be written costs no run.
std::string PrepareLog(const TBatchOptions& options, const std::string& exeDir)
{
    const std::string prefix = "vesktest batch: cannot append to the results log ";
    std::string log = options.Log;
    if (log.empty()) {
        const LogPlace place = ChooseResultsLogPlace(exeDir, SystemLogPlaceInputs(exeDir));
        log = place.path;
        try {
            if (!place.folder.empty()) CreateFolders(place.folder);
        } catch (const EInOutError& e) {
            throw TLogRefusal{prefix + log + ": its folder " + e.Path() +
                              " cannot be made: " + ErrnoText(e.ErrorCode())};
        }
    }
    if (const std::optional<std::string> problem = results_log::AppendProblem(log))
        throw TLogRefusal{prefix + *problem};
    // The records log beside it takes each run's record too.
    const std::string records = RecordsLogPathBeside(log);
    const TAppendCheck check = CheckAppend(records);
    if (check.Error != 0)
        throw TLogRefusal{"vesktest batch: cannot append to the records log " + check.Path + ": " +
                          (check.Error == EISDIR ? std::string("it is a folder")
                           : check.Error == kNotARegularFile
                               ? std::string("it is not a regular file")
                               : ErrnoText(check.Error))};
    return log;
}

// The summary of the runs finished so far, for a person at a terminal; empty
// for a single run or none.
std::string KeptRunsSummary(const std::vector<TScores>& finished, const TBatchOptions& options,
                            int cpusUsed, bool ended)
{
    if (options.Repeat < 2 || finished.empty() || !StandardErrorIsTerminal()) return {};
    std::string text = BatchSummary(finished, options.Tests, cpusUsed);
    if (!ended)
        text = "vesktest batch: " + std::to_string(finished.size()) + " of " +
               std::to_string(options.Repeat) + " runs finished\n" + text;
    return text;
}

// One line when the result line cannot keep a text the CSV and JSON keep
// whole: a character Windows-1251 lacks, or more characters than its field.
void WarnIfChanged(TBatchProgress& progress, const char* field, const std::string& utf8,
                   std::size_t width)
{
    const std::string ansi = Utf8ToCp1251(utf8);
    if (Cp1251ToUtf8(ansi) != utf8)
        progress.Message(std::string("vesktest batch: the line writes the ") + field + " as \"" +
                         Cp1251ToUtf8(ansi) + "\": Windows-1251 has no place for some of \"" +
                         utf8 + "\"");
    if (ansi.size() <= width) return;
    progress.Message("vesktest batch: the line keeps " + std::to_string(width) +
                     " characters of the " + field + ": \"" + Cp1251ToUtf8(ansi.substr(0, width)) +
                     "\"");
}

// Runs the tests; `kept` gets the summary of the runs finished so far, for
// a stop or a failure to show.
int Run(const TBatchOptions& options, const std::string& log, bool outputClosed, std::string& kept)
{
    TEnvironment env = TEnvironment::System();
    const bool everyCore =
        std::find(options.Tests.begin(), options.Tests.end(), 6) != options.Tests.end();
    // The CPUs test 6 may use, read once: a layout the system cannot give
    // ends the run before anything is measured.
    const TCpuLayout layout = everyCore ? ReadCpuLayout() : TCpuLayout{};
    const int cpusUsed = static_cast<int>(layout.Cpus.size());
    std::vector<TScores> finished;
    int parts = 0;
    for (const int test : options.Tests) parts += TestParts(test, layout);
    TBatchProgress progress(StandardErrorIsTerminal(), 1 + options.Repeat * parts);
    // Made first, so that its thread has read the counters a second before
    // the first run begins (the start-up probes take that long).
    TConditionSampler conditions;
    // A test's measured stretch for the conditions runs from its first part
    // to its return; the progress is drawn before the stretch begins.
    std::optional<TThreadUse> testUse;
    bool inPart = false;
    // A parent that shows the progress itself (the Compare window's
    // measurement) asks for every part as a line of its own on standard
    // error, since no terminal is there to draw on.
    const char* partLinesAsked = std::getenv(kBatchPartLinesVariable);
    const bool partLines = partLinesAsked && std::string(partLinesAsked) == "1";
    int runNow = 0;
    const TBatchStep step = [&](const char* test, const std::string& part) {
        CheckStopRequest();
        progress.Begin(test, part);
        if (partLines) {
            std::fprintf(stderr, "%s%d/%d: %s: %s\n", kBatchPartLinePrefix, runNow, options.Repeat,
                         test, part.c_str());
            std::fflush(stderr);
        }
        if (testUse && !inPart) {
            conditions.PartBegins(*testUse);
            inPart = true;
        }
    };
    const auto testEnds = [&] {
        if (inPart) conditions.PartEnds();
        inPart = false;
        testUse.reset();
    };
    const TOutput output(outputClosed);

    // The start-up probes, once, in the order and with the rounding of the
    // window's start-up sequence, the clock measurement included.
    step("start-up", "probing the machine");
    TStartupFacts startup;
    startup.TotalPhysMem = env.ReadTotalPhysMem();
    startup.Cpu = env.GetCPUInfo();
    startup.CpuMHz = env.MeasureCpuMHz();
    const std::int64_t totalPhysMem = startup.TotalPhysMem;
    TRunRecord report = BatchRecord(env, options, startup);
    if (options.Format == TBatchFormat::Line || options.Save) {
        WarnIfChanged(progress, "description", report.Description, kDescriptionWidth);
        WarnIfChanged(progress, "disk label", report.Label, kDiskLabelWidth);
    }

    TBatchTests tests(env, TotalPhysMem32(totalPhysMem),
                      [&progress](const std::string& text) { progress.Message(text); });
    TTestInputs inputs;
    inputs.Shapes = IntToStr(options.Shapes);
    inputs.File = options.File;
    inputs.MemoryMiB = IntToStr(options.Memory.value_or(tests.DefaultMemoryMiB()));
    inputs.Layout = layout;
    inputs.DiskFolder = options.DiskDir;
    inputs.DiskMiB = options.DiskMiB;
    inputs.DiskSeconds = options.DiskSeconds;
    tests.PassUnderWay = [&progress](int pass, int passes) {
        progress.Detail("pass " + std::to_string(pass + 1) + "/" + std::to_string(passes));
    };
    for (int run = 1; run <= options.Repeat; ++run) {
        progress.SetRun(run, options.Repeat);
        runNow = run;
        report.Run = run;
        report.Started = Iso8601(LocalTimeNow());
        report.LoadAverage = LoadAverage();
        tests.Scores() = TScores{};
        conditions.Begin();
        for (const int test : options.Tests) {
            testUse = ThreadUseOfTest(test, static_cast<int>(layout.Cpus.size()));
            if (test == 4) FillFileFacts(report, options.File);
            const TTestOutcome outcome = tests.Run(test, inputs, step);
            testEnds();
            if (test == 3) report.Shapes = outcome.Ellipses.Count;
            if (test == 5) report.MemoryBlockMiB = outcome.Block.Bytes / kMiB;
            if (test == 6) report.EveryCore = outcome.EveryCore;
            if (test == 7) report.Disk = outcome.Disk;
        }
        report.Scores = tests.Scores();
        if (report.EveryCore)
            report.EveryCore->Scaling =
                EveryCoreScaling(report.Scores.CyclesPerSecAll, report.Scores.CyclesPerSec);
        CheckStopRequest();
        report.Conditions = conditions.End();
        if (!report.Conditions->Quiet)
            progress.Message("vesktest batch: " +
                             NotQuietWarning(run, options.Repeat, *report.Conditions));

        // The run is finished: from here on nothing stops it, so the record
        // printed is the record saved. The log comes first, so that a reader
        // of standard output that has gone never costs the saved line; a
        // log that fails costs neither the record.
        const TStopDeferral finishing;
        report.Line = BatchResultLine(report, env.Format);
        std::optional<TBatchFailure> saveFailure;
        if (options.Save) {
            try {
                Save(log, report);
            } catch (const TBatchFailure& failure) {
                saveFailure = failure;
            }
        }
        // Standard output may be the terminal the progress is drawn on.
        progress.Clear();
        output.Write(FormatBatchOutput(options.Format, report, env.Format));
        finished.push_back(report.Scores);
        if (saveFailure) throw *saveFailure;
        // What a stop that cannot wait still shows.
        kept = KeptRunsSummary(finished, options, cpusUsed, false);
        if (!kept.empty()) SetStopFarewell("\r\033[K" + kept);
    }
    progress.Clear();
    std::fputs(KeptRunsSummary(finished, options, cpusUsed, true).c_str(), stderr);
    return 0;
}

void WriteError(const std::string& message)
{
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", message.c_str());
}

}  // namespace

int RunBatch(int argc, char** argv)
{
    CatchStopRequests();
    EndProcessAfterStopRequest();
    ReportBrokenPipesAsErrors();
    const bool outputClosed = ReserveClosedStandardStreams();

    // Every value is checked before anything runs; --help and a bad command
    // line need no display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const std::int64_t totalPhysMem = TotalPhysMem32(ReadTotalPhysMem());
    const TBatchLimits limits{LargestBlockMiB(totalPhysMem), DefaultBlockMiB(totalPhysMem)};
    const TBatchCommand command = ParseBatchOptions(arguments, limits);
    switch (command.Kind) {
        case TBatchCommand::TKind::Help:
        case TBatchCommand::TKind::Version:
            try {
                TOutput(outputClosed).Write(command.Text);
            } catch (const TBatchFailure& failure) {
                WriteError(failure.Text);
                return 1;
            }
            return 0;
        case TBatchCommand::TKind::Bad:
            std::fputs(command.Text.c_str(), stderr);
            return 2;
        case TBatchCommand::TKind::Run:
            break;
    }

    std::string log;
    if (command.Options.Save) {
        try {
            log = PrepareLog(command.Options, ExecutableFolder());
        } catch (const TLogRefusal& refusal) {
            WriteError(refusal.Text);
            return 2;
        }
    }

    // The toolkit sees only the program's name: the batch options are ours.
    // The window's application object: the same font substitutions, so that
    // the list boxes lay out their entries in the same font.
    int toolkitArgc = 1;
    const auto app =
        OpenApplication(toolkitArgc, argv, TDisplayUse::Painting, "vesktest batch", "");

    // The runs finished before a stop or a failure are kept: printed, saved,
    // and on a terminal summed up.
    std::string kept;
    const auto keptRuns = [&] { std::fputs(kept.c_str(), stderr); };
    try {
        return Run(command.Options, log, outputClosed, kept);
    } catch (const TStopRequest& stop) {
        keptRuns();
        return StopExitStatus(stop.Signal);
    } catch (const TBatchFailure& failure) {
        WriteError(failure.Text);
    } catch (const EFileTestFailure& e) {
        WriteError(e.Message());
    } catch (const EAbort&) {
    } catch (const Exception& e) {
        WriteError(ErrorBoxText(e.Message()));
    } catch (const std::bad_alloc&) {
        WriteError(ErrorBoxText(EOutOfMemory().Message()));
    } catch (const std::exception& e) {
        WriteError(ErrorBoxText(e.what()));
    }
    keptRuns();
    return 1;
}

}  // namespace vt
