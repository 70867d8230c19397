// The empty loop runs exactly the count it is given: EmptyLoop(count) is run
// in a child process single-stepped under ptrace, and every instruction of
// EmptyLoop is counted as it executes. The loop's two instructions execute
// `count` times each and nothing else in the function more than once; a count
// of 0 or below runs no loop at all. A loop that ran one round too many, or
// wrapped a count of 0 into 2^32 rounds, fails here, without any clock.
#include <signal.h>
#include <sys/ptrace.h>
#include <sys/user.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <map>

#include "benchmarks/empty_loop.h"

namespace vt {
namespace {

// Bytes of EmptyLoop's code looked at: the guard, the aligned two-instruction
// loop and the return fit well inside.
constexpr std::uintptr_t kSpan = 64;

struct TTrace {
    bool Traced = false;         // ptrace worked here
    bool Returned = false;       // EmptyLoop was entered and left within the cap
    std::uint64_t MostHits = 0;  // how often its most executed instruction ran
};

TTrace TraceEmptyLoop(std::int32_t count, std::uint64_t cap)
{
    TTrace trace;
    const pid_t pid = fork();
    if (pid < 0) return trace;
    if (pid == 0) {
        if (ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) _exit(3);
        raise(SIGSTOP);
        EmptyLoop(count);
        _exit(0);
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFSTOPPED(status)) {
        waitpid(pid, &status, 0);
        return trace;
    }
    trace.Traced = true;
    const auto begin = reinterpret_cast<std::uintptr_t>(&EmptyLoop);
    std::map<std::uintptr_t, std::uint64_t> hits;
    bool inside = false;
    for (std::uint64_t step = 0; step < cap; ++step) {
        if (ptrace(PTRACE_SINGLESTEP, pid, nullptr, nullptr) != 0) {
            trace.Traced = false;
            break;
        }
        if (waitpid(pid, &status, 0) != pid || !WIFSTOPPED(status)) break;
        user_regs_struct regs{};
        if (ptrace(PTRACE_GETREGS, pid, nullptr, &regs) != 0) break;
        const auto at = static_cast<std::uintptr_t>(regs.rip);
        if (at >= begin && at < begin + kSpan) {
            inside = true;
            ++hits[at];
        } else if (inside) {
            trace.Returned = true;
            break;
        }
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    for (const auto& [address, n] : hits) trace.MostHits = std::max(trace.MostHits, n);
    return trace;
}

TEST(EmptyLoop, RunsExactlyItsCountAndNothingForZeroOrBelow)
{
    const struct {
        std::int32_t count;
        std::uint64_t mostHits;  // of one instruction of EmptyLoop
    } rows[] = {
        {1, 1}, {2, 2}, {3, 3}, {1000, 1000}, {0, 1}, {-1, 1}, {-2147483647 - 1, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.count);
        // Room for the way from the child's stop into the loop and out of it;
        // a wrapped count (2^32 rounds) never gets there.
        const TTrace t = TraceEmptyLoop(row.count, 2 * 1000 + 20000);
        if (!t.Traced) GTEST_SKIP() << "ptrace cannot single-step a child here";
        EXPECT_TRUE(t.Returned) << "EmptyLoop did not return within the steps its count needs";
        EXPECT_EQ(t.MostHits, row.mostHits);
    }
}

}  // namespace
}  // namespace vt
