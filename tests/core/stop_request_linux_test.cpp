// A stop request that the process cannot act on in time (blocked in a call
// that does not return): the watchdog ends it with the stop's exit status,
// writes the farewell, and lets a record being finished finish first.
#include "platform/stop_request.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace vt {
namespace {

struct Row {
    const char* name;
    int signal;
    int status;
    bool deferring;       // the process is finishing a record when the stop comes
    const char* stderr_;  // what standard error must show
};

// The child: stops catching, the watchdog started with a short grace, then a
// signal to itself and a main thread that never looks at the request.
[[noreturn]] void BlockedProcess(const Row& row)
{
    CatchStopRequests();
    EndProcessAfterStopRequest(100);
    SetStopFarewell("kept 2 runs\n");
    if (row.deferring) {
        const TStopDeferral finishing;
        ::raise(row.signal);
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        [[maybe_unused]] const ssize_t n = ::write(2, "record written\n", 15);
    } else {
        ::raise(row.signal);
    }
    for (;;) ::pause();
}

class StopWatchdog : public ::testing::TestWithParam<Row> {};

TEST_P(StopWatchdog, EndsABlockedProcessWithTheStopsStatus)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(BlockedProcess(GetParam()), ::testing::ExitedWithCode(GetParam().status),
                GetParam().stderr_);
}

INSTANTIATE_TEST_SUITE_P(Table, StopWatchdog,
                         ::testing::Values(Row{"interrupt", SIGINT, 130, false, "^kept 2 runs\n$"},
                                           Row{"terminate", SIGTERM, 143, false, "^kept 2 runs\n$"},
                                           Row{"while_a_record_is_finished", SIGTERM, 143, true,
                                               "^record written\nkept 2 runs\n$"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vt
