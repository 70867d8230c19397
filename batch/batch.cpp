#include "batch/batch.h"

#include <QApplication>
#include <QGuiApplication>
#include <cstdio>
#include <new>

#include "app/application.h"
#include "app/environment.h"
#include "app/error_handler.h"
#include "batch/batch_options.h"
#include "batch/batch_output.h"
#include "batch/batch_progress.h"
#include "batch/batch_tests.h"
#include "benchmarks/memory_test.h"
#include "platform/file_system_type.h"
#include "platform/number_format.h"
#include "platform/stop_request.h"
#include "platform/terminal.h"
#include "results/log_location.h"
#include "results/result_line.h"
#include "results/results_log.h"
#include "sysinfo/probes.h"

namespace vt {

namespace {

// A stop request seen between two measured parts.
struct TStopped {
    int Signal;
};

void CheckStop()
{
    if (const int signal = StopRequested()) throw TStopped{signal};
}

// The paint platform: the display that is there, else painting into memory.
void ChoosePaintPlatform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

void WriteOut(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

int Run(const TBatchOptions& options)
{
    TEnvironment env = TEnvironment::System();
    const bool shown = StandardErrorIsTerminal();
    int parts = 1;
    for (const int test : options.Tests) parts += BatchTestParts(test);
    TBatchProgress progress(shown, parts);
    const TBatchStep step = [&](const char* test, const std::string& part) {
        CheckStop();
        progress.Begin(test, part);
    };

    // The start-up probes, in the order and with the rounding of the window's
    // start-up sequence, the clock measurement included.
    step("start-up", "probing the machine");
    TBatchReport report;
    const std::int64_t totalPhysMem = env.ReadTotalPhysMem();
    const TCpuInfo cpu = env.GetCPUInfo();
    report.CpuMHz = env.MeasureCpuMHz();
    const std::string mhzText = IntToStr(RoundHalfEven(report.CpuMHz));
    report.Vendor = cpu.Vendor;
    report.Model = cpu.ModelName;
    report.Description = options.Description.value_or(cpu.Vendor + mhzText + "/");
    report.MemoryMiB = MemorySizeMiB(totalPhysMem);
    report.DiskGb = env.TotalDiskSizeText(FormatSettings{'.', ','}, /*grouped=*/false);
    report.Label = options.Label.value_or(env.TotalDiskSizeText(env.Format, true) + "gb/");
    report.Date = env.Today().toString(Qt::ISODate).toStdString();
    report.PaintPlatform = QGuiApplication::platformName().toStdString();
    report.Tests = options.Tests;

    TBatchTests tests(env, TotalPhysMem32(totalPhysMem));
    const std::string memory = options.Memory.value_or(tests.DefaultMemoryText());
    for (const int test : options.Tests) {
        switch (test) {
            case 1:
                tests.Lists(report.Scores, step);
                break;
            case 2:
                tests.Cycles(report.Scores, step);
                break;
            case 3:
                tests.Shapes(report.Scores, options.Shapes, step);
                break;
            case 4:
                report.FileSystem = FileSystemTypeOf(options.File);
                report.StorageKind = StorageKindName(ClassifyFileSystem(report.FileSystem));
                tests.File(report.Scores, options.File, stderr, step);
                break;
            case 5:
                tests.Memory(report.Scores, memory, step);
                break;
        }
    }
    CheckStop();
    progress.Finish();

    // Every test is done: from here on nothing stops the run, so the line
    // printed is the line saved.
    WriteOut(FormatBatchOutput(options.Format, report, env.Format));
    if (options.Save) {
        const std::string log = options.Log.empty() ? ResultsLogPath(env.ExeDir) : options.Log;
        results_log::Append(
            log, FormatResultLine(report.Scores, report.Description, report.Label, env.Format));
    }
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
    ChoosePaintPlatform();
    // The toolkit sees only the program's name: the batch options are ours.
    int toolkitArgc = 1;
    // The window's application object: the same font substitutions, so that
    // the list boxes lay out their entries in the same font.
    TApplication app(toolkitArgc, argv);

    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const TBatchCommand command = ParseBatchOptions(arguments);
    switch (command.Kind) {
        case TBatchCommand::TKind::Help:
        case TBatchCommand::TKind::Version:
            WriteOut(command.Text);
            return 0;
        case TBatchCommand::TKind::Bad:
            std::fputs(command.Text.c_str(), stderr);
            return 2;
        case TBatchCommand::TKind::Run:
            break;
    }

    try {
        return Run(command.Options);
    } catch (const TStopped& stopped) {
        return StopExitStatus(stopped.Signal);
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
    return 1;
}

}  // namespace vt
