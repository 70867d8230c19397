// The loop that keeps a queue full; every operating system shares it.
#include <cerrno>

#include "platform/errors.h"
#include "platform/queued_io.h"

namespace vt {

namespace {

// The slots of the requests in flight, and the first failure among them.
class TInFlight {
public:
    TInFlight(TIoQueue& queue, std::uint32_t sliceMs) : queue_(queue), sliceMs_(sliceMs) {}

    // Waits for every request still in flight, however the loop is left.
    ~TInFlight()
    {
        try {
            Drain();
        } catch (...) {
            // The queue's own destructor waits for what is left.
        }
    }

    int Count() const { return count_; }
    void Added() { ++count_; }

    // One wait; the completions in `done`, each no longer in flight.
    void WaitOnce(std::vector<TIoCompletion>& done)
    {
        done.clear();
        queue_.Wait(done, sliceMs_);
        count_ -= static_cast<int>(done.size());
    }

    void Drain()
    {
        std::vector<TIoCompletion> done;
        while (count_ > 0) {
            WaitOnce(done);
            for (const TIoCompletion& c : done) Drained(c);
        }
    }

    // What a completion waited for after the loop ended still adds.
    std::function<void(const TIoCompletion&)> Drained = [](const TIoCompletion&) {};

private:
    TIoQueue& queue_;
    std::uint32_t sliceMs_;
    int count_ = 0;
};

}  // namespace

TQueuedRun RunQueued(TIoQueue& queue, const TQueuedRequests& what, const TQueuedSource& source,
                     const TickSource& ticks, const std::atomic<int>* stop)
{
    TQueuedRun run;
    int failure = 0;
    const auto account = [&](const TIoCompletion& c) {
        if (c.Result < 0) {
            if (failure == 0) failure = static_cast<int>(-c.Result);
        } else if (static_cast<std::size_t>(c.Result) != what.Bytes) {
            if (failure == 0) failure = what.Kind == TIoKind::Read ? ENODATA : EIO;
        } else {
            ++run.Requests;
            run.Bytes += c.Result;
        }
    };

    TInFlight inFlight(queue, what.WaitSliceMs);
    inFlight.Drained = account;
    std::int64_t submitted = 0;
    const auto submit = [&](int slot) {
        const std::int64_t offset = source.NextOffset();
        void* buffer = source.Buffer(slot);
        if (what.Kind == TIoKind::Write && source.BeforeWrite) source.BeforeWrite(buffer, offset);
        queue.Submit(what.Kind, offset, buffer, what.Bytes, static_cast<std::uint64_t>(slot));
        inFlight.Added();
        ++submitted;
    };
    const auto more = [&] { return what.Limit == 0 || submitted < what.Limit; };

    const std::uint32_t t0 = ticks();
    for (int slot = 0; slot < what.Depth && more(); ++slot) submit(slot);
    bool ending = false;
    std::vector<TIoCompletion> done;
    while (inFlight.Count() > 0) {
        inFlight.WaitOnce(done);
        for (const TIoCompletion& c : done) account(c);
        if (failure != 0) ending = true;
        if (stop && stop->load(std::memory_order_relaxed) != 0) {
            run.Stopped = true;
            ending = true;
        }
        if (!ending && what.DurationMs > 0 && TickDiff(ticks(), t0) >= what.DurationMs)
            ending = true;
        // Each completed slot takes the next request at once.
        for (const TIoCompletion& c : done)
            if (!ending && more()) submit(static_cast<int>(c.Tag));
    }
    run.ElapsedMs = TickDiff(ticks(), t0);
    if (failure != 0) throw EInOutError(failure);
    return run;
}

}  // namespace vt
