#include <semaphore.h>
#include <signal.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/stop_request.h"

namespace vt {

namespace {

// Posted by the handler (sem_post is safe in a signal handler) once the
// watchdog waits on it.
sem_t watchdogWake;
std::atomic<bool> watchdogStarted{false};

extern "C" void OnStopSignal(int signal)
{
    RecordStopRequest(signal);
    if (watchdogStarted.load()) sem_post(&watchdogWake);
}

}  // namespace

void CatchStopRequests()
{
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls resume: a read of the file test goes on to its
    // end, and the stop is seen after it.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void EndProcessAfterStopRequest(int graceMs)
{
    if (watchdogStarted.load()) return;
    if (sem_init(&watchdogWake, 0, 0) != 0) return;
    std::thread([graceMs] {
        while (sem_wait(&watchdogWake) != 0 && errno == EINTR) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(graceMs));
        EndStoppedProcess();
    }).detach();
    watchdogStarted.store(true);
    // A request that came before the watchdog waited.
    if (StopRequested()) sem_post(&watchdogWake);
}

}  // namespace vt
