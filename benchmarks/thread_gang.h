// Workers started together and timed to the last: one thread per CPU of a
// list, each pinned to its CPU and prepared (its memory touched) before a
// barrier, all released at once, the elapsed time taken from the release to
// the end of the last worker.
//
// The gang is a function, so that the every-core test can be run with a
// gang that starts no thread at all and only says which CPUs it was asked
// for, with scripted times.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

#include "platform/tick_count.h"

namespace vt {

struct TGangWork {
    // On worker i, pinned, before the release; not timed. May be empty.
    std::function<void(std::size_t worker)> Prepare;
    // On worker i, after the release; timed.
    std::function<void(std::size_t worker)> Work;
};

// Runs one worker per entry of `cpus` (worker i on cpus[i]) and returns the
// milliseconds from the release to the last worker's end. An error raised by
// a worker (or a stop request) ends the gang: the workers not yet released
// never run their work, the others end theirs, every thread is joined, and
// the first error is raised again.
using TThreadGang =
    std::function<std::int32_t(const std::vector<int>& cpus, const TGangWork& work)>;

// How a gang starts and pins its threads; empty members take the system's.
struct TThreadHooks {
    std::function<void(int cpu)> Pin;                         // PinThisThread
    std::function<std::thread(std::function<void()>)> Start;  // a std::thread
};

// The gang of real threads, timed with `ticks`: t0 is read by the starting
// thread just before it releases the workers, t1 by the worker that ends
// last, as it ends. A thread that cannot be started or pinned is an error
// that names its CPU, raised before any worker is released.
TThreadGang PinnedThreadGang(TickSource ticks, TThreadHooks hooks = {});

}  // namespace vt
