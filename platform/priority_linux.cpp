#include "platform/priority.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>

#include <algorithm>
#include <cerrno>

namespace vt {

namespace {

int ReadNice()
{
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, 0);
    return errno == 0 ? nice : 0;
}

// The lowest nice value the process may set: -20 with the privilege,
// otherwise 20 - RLIMIT_NICE, and never above the current one.
int BestNice(int current)
{
    int best = -20;
    rlimit limit{};
    if (getrlimit(RLIMIT_NICE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        best = std::max(best, 20 - static_cast<int>(std::min<rlim_t>(limit.rlim_cur, 40)));
    return std::min(best, current);
}

}  // namespace

TSchedulingState CurrentSchedulingState()
{
    TSchedulingState state;
    sched_param param{};
    if (pthread_getschedparam(pthread_self(), &state.ThreadPolicy, &param) == 0)
        state.ThreadPriority = param.sched_priority;
    state.Nice = ReadNice();
    return state;
}

TRaisedPriority::TRaisedPriority() : saved_(CurrentSchedulingState())
{
    sched_param param{};
    param.sched_priority = sched_get_priority_max(SCHED_FIFO);
    if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0) {
        realTime_ = true;
        return;
    }
    // Without the privilege (CAP_SYS_NICE or RLIMIT_RTPRIO) the best the
    // process gets is its lowest permitted nice value. With a real-time
    // policy the nice value would not matter, so it is left alone then.
    const int best = BestNice(saved_.Nice);
    if (best != saved_.Nice && setpriority(PRIO_PROCESS, 0, best) == 0) niceChanged_ = true;
}

TRaisedPriority::~TRaisedPriority()
{
    if (realTime_) {
        sched_param param{};
        param.sched_priority = saved_.ThreadPriority;
        pthread_setschedparam(pthread_self(), saved_.ThreadPolicy, &param);
    }
    // Raising the nice value back is always permitted.
    if (niceChanged_) setpriority(PRIO_PROCESS, 0, saved_.Nice);
}

}  // namespace vt
