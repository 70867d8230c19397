// A raised scheduling priority for the length of a scope.
//
// On Linux the thread's scheduling policy and priority stand in for the
// thread priority, and the nice value for the process's priority class
// (Linux keeps the nice value per thread; the GUI thread is the process's
// main thread). Raising asks for the real-time policy SCHED_FIFO at its
// highest priority; where that is not permitted it takes the lowest nice
// value the process may set instead. Failures are ignored: a lower priority
// than asked for is accepted silently.
//
// On Windows the process's priority class is raised to REALTIME_PRIORITY_CLASS
// (without the privilege the system grants HIGH_PRIORITY_CLASS instead) and
// the thread's priority to THREAD_PRIORITY_TIME_CRITICAL.
//
// The destructor puts back the thread's policy and priority first, then the
// nice value (on Windows: the thread priority, then the priority class),
// exactly as they were when the object was made; it runs on every path out
// of the scope, an exception included.
#pragma once

namespace vt {

// The scheduling state the raise changes and the restore puts back.
struct TSchedulingState {
    // Linux: SCHED_OTHER, SCHED_FIFO, ... of the calling thread.
    // Windows: the process's priority class (NORMAL_PRIORITY_CLASS, ...).
    int ThreadPolicy = 0;
    // Linux: its static priority (0 outside the real-time policies).
    // Windows: the thread priority (THREAD_PRIORITY_NORMAL, ...).
    int ThreadPriority = 0;
    int Nice = 0;  // the nice value; always 0 on Windows

    friend bool operator==(const TSchedulingState&, const TSchedulingState&) = default;
};

TSchedulingState CurrentSchedulingState();

class TRaisedPriority {
public:
    TRaisedPriority();
    ~TRaisedPriority();
    TRaisedPriority(const TRaisedPriority&) = delete;
    TRaisedPriority& operator=(const TRaisedPriority&) = delete;

    // Whether the real-time policy was granted (else the nice value was
    // lowered as far as permitted, possibly not at all).
    bool RealTime() const { return realTime_; }

private:
    TSchedulingState saved_;
    bool realTime_ = false;
    bool niceChanged_ = false;
    bool classChanged_ = false;  // Windows: the priority class was set
    bool threadRaised_ = false;  // Windows: the thread priority was set
};

}  // namespace vt
