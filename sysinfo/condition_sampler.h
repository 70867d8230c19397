// Samples the conditions of a run without disturbing what it measures.
//
// A sampler owns one thread that sleeps most of the time. Between runs it
// wakes every half second to read the machine's processor counters, so that
// Begin finds a reading about a second old and learns what other processes
// did in the second before the run without waiting for it. During a run it
// wakes every quarter second to read the clocks, the temperatures and the
// power supply: a few small files, well under a millisecond of work on
// another processor or in the measured thread's time slice.
//
// The measuring thread itself reads only its own processor time and the
// counters, and only at Begin, at each part's start and end, and at End:
// between the measured parts, never inside one.
//
//   sampler.Begin();
//   { TConditionSampler::TPart part(sampler, ThreadUseOfTest(2)); ...test 2... }
//   TRunConditions conditions = sampler.End();
//
// Begin, the parts and End are called on the measuring thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "sysinfo/run_conditions.h"

namespace vt {

// Where the sampler reads from. Tests script it.
struct TConditionSource {
    std::function<double()> Wall;  // seconds on a steady clock
    std::function<std::optional<TSystemCpuTimes>()> SystemTimes;
    std::function<double()> ThreadCpu;
    std::function<double()> ProcessCpu;
    double CpuResolution = 0;
    std::function<TProcessorClocks()> Clocks;
    std::function<std::optional<std::int64_t>()> Throttle;
    std::function<std::optional<double>()> Temperature;
    std::function<std::optional<bool>()> Battery;

    // The machine this process runs on.
    static TConditionSource System();
};

class TConditionSampler {
public:
    struct TTiming {
        std::chrono::milliseconds Idle{500};    // between runs
        std::chrono::milliseconds During{250};  // during a run
        double SecondBefore = 1.0;              // seconds
    };

    explicit TConditionSampler(TConditionSource source = TConditionSource::System());
    TConditionSampler(TConditionSource source, TTiming timing);
    // Stops and joins the thread.
    ~TConditionSampler();
    TConditionSampler(const TConditionSampler&) = delete;
    TConditionSampler& operator=(const TConditionSampler&) = delete;

    // Starts a run. Waits until a reading a second old exists (only just
    // after the sampler was made), so that the second before is known.
    void Begin();
    // A measured part of the run, between Begin and End.
    void PartBegins(TThreadUse use);
    void PartEnds();
    // Ends the run: its conditions and verdict.
    TRunConditions End();

    // A part for the length of a scope. A part left by an error is still
    // counted.
    class TPart {
    public:
        TPart(TConditionSampler& sampler, TThreadUse use) : sampler_(sampler)
        {
            sampler_.PartBegins(use);
        }
        ~TPart() { sampler_.PartEnds(); }
        TPart(const TPart&) = delete;
        TPart& operator=(const TPart&) = delete;

    private:
        TConditionSampler& sampler_;
    };

private:
    TCounterReading ReadCounters() const;
    // Reads the clocks, temperatures and power supply into the run's readings.
    void ReadDuring();
    void Loop();

    TConditionSource source_;
    TTiming timing_;

    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    bool running_ = false;                 // between Begin and End
    unsigned run_ = 0;                     // which run the readings belong to
    std::deque<TCounterReading> history_;  // the last seconds' readings, oldest first
    TConditionReadings readings_;

    // The measuring thread's alone.
    bool inPart_ = false;
    TThreadUse partUse_;
    double partWall_ = 0, partCpu_ = 0;

    std::thread thread_;  // last: starts after everything it reads
};

}  // namespace vt
