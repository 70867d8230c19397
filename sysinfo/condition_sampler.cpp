#include "sysinfo/condition_sampler.h"

#include <algorithm>

namespace vt {

namespace {

// How long the history of readings reaches back: the second before a run
// and the longest wait between two readings.
constexpr double kHistorySeconds = 3;

}  // namespace

TConditionSource TConditionSource::System()
{
    TConditionSource source;
    source.Wall = [] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    };
    source.SystemTimes = [] { return SystemCpuTimes(); };
    source.ThreadCpu = [] { return ThreadCpuSeconds(); };
    source.ProcessCpu = [] { return ProcessCpuSeconds(); };
    source.CpuResolution = ThreadCpuResolution();
    source.Clocks = [] { return ProcessorClocks(); };
    source.Throttle = [] { return ThrottleEvents(); };
    source.Temperature = [] { return HighestTemperatureC(); };
    source.Battery = [] { return OnBattery(); };
    return source;
}

TConditionSampler::TConditionSampler(TConditionSource source)
    : TConditionSampler(std::move(source), TTiming{})
{
}

TConditionSampler::TConditionSampler(TConditionSource source, TTiming timing)
    : source_(std::move(source)), timing_(timing)
{
    history_.push_back(ReadCounters());
    thread_ = std::thread([this] { Loop(); });
}

TConditionSampler::~TConditionSampler()
{
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

TCounterReading TConditionSampler::ReadCounters() const
{
    TCounterReading reading;
    reading.Wall = source_.Wall();
    reading.System = source_.SystemTimes();
    reading.ProcessCpu = source_.ProcessCpu();
    return reading;
}

void TConditionSampler::ReadDuring()
{
    unsigned run = 0;
    {
        const std::lock_guard lock(mutex_);
        if (!running_) return;
        run = run_;
    }
    const TProcessorClocks clocks = source_.Clocks();
    const std::optional<double> temperature = source_.Temperature();
    const std::optional<bool> battery = source_.Battery();

    const std::lock_guard lock(mutex_);
    if (!running_ || run != run_) return;
    TConditionReadings& r = readings_;
    for (const double mhz : clocks.MHz) {
        if (!r.ClockMinMHz || mhz < *r.ClockMinMHz) r.ClockMinMHz = mhz;
        if (!r.ClockMaxMHz || mhz > *r.ClockMaxMHz) r.ClockMaxMHz = mhz;
    }
    if (clocks.Governor) r.Governor = clocks.Governor;
    if (temperature && (!r.MaxTemperatureC || *temperature > *r.MaxTemperatureC))
        r.MaxTemperatureC = temperature;
    if (battery) r.OnBattery = r.OnBattery.value_or(false) || *battery;
}

void TConditionSampler::Loop()
{
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        const auto period = running_ ? timing_.During : timing_.Idle;
        if (wake_.wait_for(lock, period, [this] { return stopping_; })) break;
        lock.unlock();
        try {
            const TCounterReading reading = ReadCounters();
            ReadDuring();
            lock.lock();
            history_.push_back(reading);
            while (history_.size() > 1 && history_.front().Wall < reading.Wall - kHistorySeconds &&
                   history_[1].Wall <= reading.Wall - timing_.SecondBefore)
                history_.pop_front();
        } catch (...) {
            // A reading that failed is skipped; the next one comes soon.
            if (!lock.owns_lock()) lock.lock();
        }
    }
}

void TConditionSampler::Begin()
{
    TCounterReading now = ReadCounters();
    std::optional<TCounterReading> before;
    {
        const std::lock_guard lock(mutex_);
        for (auto it = history_.rbegin(); it != history_.rend(); ++it)
            if (it->Wall <= now.Wall - timing_.SecondBefore) {
                before = *it;
                break;
            }
        if (!before) before = history_.front();
    }
    // Just after the sampler was made: wait for the rest of the second.
    const double missing = timing_.SecondBefore - (now.Wall - before->Wall);
    if (missing > 0) {
        std::this_thread::sleep_for(std::chrono::duration<double>(missing));
        now = ReadCounters();
    }
    const std::optional<std::int64_t> throttle = source_.Throttle();
    {
        const std::lock_guard lock(mutex_);
        readings_ = TConditionReadings{};
        readings_.SecondBefore = before;
        readings_.Start = now;
        readings_.CpuResolution = source_.CpuResolution;
        readings_.ThrottleStart = throttle;
        running_ = true;
        ++run_;
    }
    inPart_ = false;
    ReadDuring();
}

void TConditionSampler::PartBegins(TThreadUse use)
{
    partUse_ = use;
    partWall_ = source_.Wall();
    partCpu_ = use.Kind == TThreadUse::TKind::Threads ? source_.ProcessCpu() : source_.ThreadCpu();
    inPart_ = true;
}

void TConditionSampler::PartEnds()
{
    if (!inPart_) return;
    inPart_ = false;
    const double cpu =
        (partUse_.Kind == TThreadUse::TKind::Threads ? source_.ProcessCpu() : source_.ThreadCpu()) -
        partCpu_;
    const double capacity = (source_.Wall() - partWall_) * std::max(partUse_.Threads, 1);
    if (!(capacity > 0)) return;
    const std::lock_guard lock(mutex_);
    if (partUse_.Kind == TThreadUse::TKind::Waits) {
        readings_.WaitingCpu += cpu;
        readings_.WaitingCapacity += capacity;
    } else {
        readings_.JudgedCpu += cpu;
        readings_.JudgedCapacity += capacity;
        ++readings_.JudgedParts;
    }
}

TRunConditions TConditionSampler::End()
{
    PartEnds();
    const TCounterReading end = ReadCounters();
    const std::optional<std::int64_t> throttle = source_.Throttle();
    ReadDuring();
    TConditionReadings readings;
    {
        const std::lock_guard lock(mutex_);
        if (!running_) return {};
        running_ = false;
        readings_.End = end;
        readings_.ThrottleEnd = throttle;
        readings = readings_;
    }
    return Conclude(readings);
}

}  // namespace vt
