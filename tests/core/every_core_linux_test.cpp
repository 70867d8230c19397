// Test 6's threads on Linux: each runs on the CPU it was pinned to, and a
// process allowed one CPU (as under `taskset -c N`) runs one thread per part
// and says so.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <mutex>

#include "benchmarks/every_core.h"
#include "platform/cpu_layout.h"

namespace vt {
namespace {

TickSource SteppingTicks(std::atomic<std::uint32_t>& now)
{
    return [&now] { return now.fetch_add(10) + 10; };
}

TEveryCoreInputs TinyInputs()
{
    TEveryCoreInputs inputs;
    inputs.BlockBytes = kMiB;
    inputs.Passes = 1;
    inputs.LoopCount = 1 << 16;
    return inputs;
}

TEST(EveryCoreLinux, EachWorkerRunsOnItsCpu)
{
    const std::vector<int> cpus = ReadCpuLayout().Cpus;
    std::vector<int> ranOn(cpus.size(), -1);
    TGangWork work;
    work.Work = [&](std::size_t i) { ranOn[i] = sched_getcpu(); };
    std::atomic<std::uint32_t> now{0};
    PinnedThreadGang(SteppingTicks(now))(cpus, work);
    EXPECT_EQ(ranOn, cpus);
}

// What a child process allowed `allowed` CPUs reports, as an exit status:
// 0 when every part started one thread per allowed CPU and the note is
// `wantNote`; the number of the first check that failed otherwise.
int ChildUnder(const std::vector<int>& allowed, bool wantNote)
{
    const pid_t child = fork();
    if (child == 0) {
        cpu_set_t set;
        CPU_ZERO(&set);
        for (const int cpu : allowed) CPU_SET(cpu, &set);
        if (sched_setaffinity(0, sizeof set, &set) != 0) _exit(10);
        int status = 0;
        try {
            const TCpuLayout layout = ReadCpuLayout();
            std::mutex mutex;
            std::vector<std::vector<int>> calls;
            std::atomic<std::uint32_t> now{0};
            const TThreadGang real = PinnedThreadGang(SteppingTicks(now));
            const TThreadGang noting = [&](const std::vector<int>& cpus, const TGangWork& work) {
                {
                    const std::lock_guard<std::mutex> lock(mutex);
                    calls.push_back(cpus);
                }
                return real(cpus, work);
            };
            const TEveryCoreResult result = RunEveryCore(layout, TinyInputs(), noting, {});
            if (layout.Cpus != allowed)
                status = 11;
            else if (calls.size() != static_cast<std::size_t>(EveryCoreParts(layout)))
                status = 12;
            else if (calls[0] != allowed)
                status = 13;
            else if (result.Note.empty() == wantNote)
                status = 14;
            else if (result.WrongBytes != 0)
                status = 15;
        } catch (...) {
            status = 16;
        }
        _exit(status);
    }
    int status = -1;
    if (child < 0 || waitpid(child, &status, 0) != child) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(EveryCoreLinux, OneAllowedCpuGivesOneThreadAndSaysSo)
{
    const TCpuLayout layout = ReadCpuLayout();
    for (const int cpu : {layout.Cpus.front(), layout.Cpus.back()}) {
        SCOPED_TRACE(cpu);
        EXPECT_EQ(ChildUnder({cpu}, true), 0);
    }
    // Every allowed CPU: a note only where the machine has more.
    EXPECT_EQ(ChildUnder(layout.Cpus, static_cast<int>(layout.Cpus.size()) < layout.MachineCpus),
              0);
}

}  // namespace
}  // namespace vt
