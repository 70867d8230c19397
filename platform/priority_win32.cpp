#include <windows.h>

#include "platform/priority.h"

namespace vt {

TSchedulingState CurrentSchedulingState()
{
    TSchedulingState state;
    state.ThreadPolicy = static_cast<int>(GetPriorityClass(GetCurrentProcess()));
    state.ThreadPriority = GetThreadPriority(GetCurrentThread());
    state.Nice = 0;
    return state;
}

TRaisedPriority::TRaisedPriority() : saved_(CurrentSchedulingState())
{
    // Without the privilege to raise the base priority Windows grants the
    // high class instead of the real-time one; either is accepted.
    classChanged_ = SetPriorityClass(GetCurrentProcess(), REALTIME_PRIORITY_CLASS) != 0;
    threadRaised_ = SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL) != 0;
    realTime_ = GetPriorityClass(GetCurrentProcess()) == REALTIME_PRIORITY_CLASS;
}

TRaisedPriority::~TRaisedPriority()
{
    if (threadRaised_) SetThreadPriority(GetCurrentThread(), saved_.ThreadPriority);
    if (classChanged_)
        SetPriorityClass(GetCurrentProcess(), static_cast<DWORD>(saved_.ThreadPolicy));
}

}  // namespace vt
