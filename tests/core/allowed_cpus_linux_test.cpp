// The processors this process may use follow its affinity, not the
// machine's count: a child pinned to one CPU counts one.
#include "platform/allowed_cpus.h"

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/cpu_x86.h"
#include "platform/machine.h"

namespace vt {
namespace {

TEST(AllowedProcessors, FollowTheAffinity)
{
    EXPECT_GE(AllowedProcessors(), 1);
    EXPECT_LE(AllowedProcessors(), LogicalProcessors());
    cpu_set_t mine;
    ASSERT_EQ(sched_getaffinity(0, sizeof mine, &mine), 0);
    int first = 0;
    while (!CPU_ISSET(first, &mine)) ++first;
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(first, &one);
        if (sched_setaffinity(0, sizeof one, &one) != 0) _exit(100);
        _exit(AllowedProcessors());
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
}

TEST(MachineArchitecture, NamedAsTheSystemNamesIt)
{
    const std::string arch = MachineArchitecture();
    EXPECT_FALSE(arch.empty());
    if (VESKTEST_X86_64) {
        EXPECT_EQ(arch, "x86_64");
    }
}

}  // namespace
}  // namespace vt
