#include "benchmarks/thread_gang.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>

#include "platform/errors.h"
#include "platform/pin_thread.h"

namespace vt {

namespace {

// One run of a gang: what its threads share.
class TGangRun {
public:
    TGangRun(const std::vector<int>& cpus, const TGangWork& work, const TickSource& ticks,
             const TThreadHooks& hooks)
        : cpus_(cpus),
          work_(work),
          ticks_(ticks),
          hooks_(hooks),
          left_(static_cast<int>(cpus.size()))
    {
    }

    // Joins every thread on every path: a gang never leaves one behind.
    ~TGangRun()
    {
        Abandon();
        for (std::thread& thread : threads_)
            if (thread.joinable()) thread.join();
    }

    std::int32_t Run()
    {
        if (cpus_.empty()) return 0;
        for (std::size_t i = 0; i < cpus_.size(); ++i) {
            try {
                auto body = [this, i] { Worker(i); };
                threads_.push_back(hooks_.Start ? hooks_.Start(body) : std::thread(body));
            } catch (const std::exception& e) {
                Fail(
                    std::make_exception_ptr(Exception("Cannot start a thread for CPU " +
                                                      std::to_string(cpus_[i]) + ": " + e.what())));
                break;
            }
        }
        std::uint32_t t0 = 0;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [&] { return error_ || ready_ == threads_.size(); });
            if (error_) {
                abandoned_ = true;
            } else {
                // Read while holding the lock that every worker needs to
                // leave the barrier: no worker starts before t0.
                t0 = ticks_();
                released_ = true;
            }
        }
        changed_.notify_all();
        for (std::thread& thread : threads_) thread.join();
        if (error_) std::rethrow_exception(error_);
        return TickDiff(t1_, t0);
    }

private:
    void Worker(std::size_t i)
    {
        try {
            if (hooks_.Pin)
                hooks_.Pin(cpus_[i]);
            else
                PinThisThread(cpus_[i]);
            if (work_.Prepare) work_.Prepare(i);
        } catch (...) {
            Fail(std::current_exception());
        }
        {
            std::unique_lock<std::mutex> lock(mutex_);
            ++ready_;
            changed_.notify_all();
            changed_.wait(lock, [&] { return released_ || abandoned_; });
            if (!released_) return;
        }
        try {
            work_.Work(i);
        } catch (...) {
            Fail(std::current_exception());
        }
        // The last to end reads the time, before anyone else can.
        if (left_.fetch_sub(1, std::memory_order_acq_rel) == 1) t1_ = ticks_();
    }

    void Fail(std::exception_ptr error)
    {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (!error_) error_ = std::move(error);
        }
        changed_.notify_all();
    }

    void Abandon()
    {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            abandoned_ = true;
        }
        changed_.notify_all();
    }

    const std::vector<int>& cpus_;
    const TGangWork& work_;
    const TickSource& ticks_;
    const TThreadHooks& hooks_;
    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t ready_ = 0;
    bool released_ = false;
    bool abandoned_ = false;
    std::exception_ptr error_;
    std::atomic<int> left_;
    std::uint32_t t1_ = 0;
};

}  // namespace

TThreadGang PinnedThreadGang(TickSource ticks, TThreadHooks hooks)
{
    return [ticks = std::move(ticks), hooks = std::move(hooks)](const std::vector<int>& cpus,
                                                                const TGangWork& work) {
        TGangRun run(cpus, work, ticks, hooks);
        return run.Run();
    };
}

}  // namespace vt
