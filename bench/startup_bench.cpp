// Start-up time of the program on this machine, with the real probes: from
// the moment a new process is started until its main window is shown and has
// painted once. The clock measurement is the reference: it is timed inside
// the same start-up (the window's own call, with a stopwatch around it), and
// the start-up should take that plus at most 0.2 s.
//
// Each run starts this executable again with --child, which does what the
// program's main does (application, window, show), waits until the window is
// exposed and painted, and writes the time of that moment (the monotonic
// clock, shared by all processes) and the clock measurement's duration to a
// pipe. Start-up errors go to standard error instead of a modal box.
//
// Usage: startup_bench [runs] (9 unless given). Offscreen unless a display
// or a platform is given.
#include <sys/wait.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QWindow>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "app/application.h"
#include "app/dialogs.h"
#include "app/environment.h"
#include "app/firstcl_.h"
#include "bench/bench_dialogs.h"
#include "bench/bench_report.h"

namespace {

double MonotonicSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// The started program: writes "<window up, s> <clock measurement, s>".
int Child(int argc, char** argv)
{
    vt::TApplication app(argc, argv);
    vt::bench::PrintedDialogs dialogs;
    vt::SetDialogs(&dialogs);
    vt::TEnvironment env = vt::TEnvironment::System();
    double clockSeconds = 0;
    env.MeasureCpuMHz = [&clockSeconds, measure = env.MeasureCpuMHz] {
        const double t0 = MonotonicSeconds();
        const double mhz = measure();
        clockSeconds = MonotonicSeconds() - t0;
        return mhz;
    };
    vt::T_fVesktest window(env);
    window.show();
    QElapsedTimer limit;
    limit.start();
    while (!(window.windowHandle() && window.windowHandle()->isExposed()) && limit.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::processEvents();  // the first paint
    const double up = MonotonicSeconds();
    std::printf("%.6f %.6f %s\n", up, clockSeconds, qPrintable(QGuiApplication::platformName()));
    vt::SetDialogs(nullptr);
    return 0;
}

struct TStart {
    double startup = 0;  // process start to window up
    double clock = 0;    // the clock measurement within it
    std::string platform;
};

TStart StartOnce(const char* self)
{
    int fds[2];
    if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
    const double t0 = MonotonicSeconds();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        execl(self, self, "--child", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string output;
    char chunk[256];
    for (ssize_t got; (got = read(fds[0], chunk, sizeof chunk)) > 0;) output.append(chunk, got);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    TStart start;
    char platform[64] = {};
    double up = 0;
    if (pid < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
        std::sscanf(output.c_str(), "%lf %lf %63s", &up, &start.clock, platform) != 3)
        throw std::runtime_error("the started program failed: " + output);
    start.startup = up - t0;
    start.platform = platform;
    return start;
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace vt::bench;
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0) return Child(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    try {
        const TStart warm = StartOnce("/proc/self/exe");
        Detail("warm-up: start-up %.3f s, clock measurement %.3f s (not counted)\n", warm.startup,
               warm.clock);
        Pairs pairs;
        for (int run = 0; run < runs; ++run) {
            const TStart s = StartOnce("/proc/self/exe");
            pairs.Add(s.startup, s.clock);
            Detail("run %d: start-up %.3f s, clock measurement %.3f s, beyond it %.3f s\n", run + 1,
                   s.startup, s.clock, s.startup - s.clock);
        }
        ReportExcess("start-up beyond the clock (" + warm.platform + ")", "s", pairs, 0.2);
        return 0;
    } catch (const std::exception& e) {
        Detail("%s\n", e.what());
        return 2;
    }
}
