// Test 7: the queue kept at its depth, the figures' arithmetic on scripted
// clocks, the random offsets, the folder checks, leftovers, and the test file
// gone after the end, an error and a stop. One real run, tiny, at the end.
#include "benchmarks/disk_profile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <deque>
#include <filesystem>
#include <fstream>
#include <set>

#include "platform/direct_file.h"
#include "platform/process_id.h"
#include "platform/stop_request.h"

namespace vt {
namespace {

namespace fs = std::filesystem;

// A queue whose requests complete when the test says: `PerWait` of the
// oldest at each wait, with the result `Result` gives. It counts the
// requests in flight at every wait.
class TScriptedQueue : public TIoQueue {
public:
    struct TRequest {
        TIoKind Kind;
        std::int64_t Offset;
        std::size_t Bytes;
        std::uint64_t Tag;
    };

    void Submit(TIoKind kind, std::int64_t offset, void*, std::size_t bytes,
                std::uint64_t tag) override
    {
        inFlight.push_back({kind, offset, bytes, tag});
        submitted.push_back(inFlight.back());
        maxInFlight = std::max(maxInFlight, static_cast<int>(inFlight.size()));
    }

    void Wait(std::vector<TIoCompletion>& done, std::uint32_t) override
    {
        atWait.push_back(static_cast<int>(inFlight.size()));
        if (OnWait) OnWait();
        for (int i = 0; i < PerWait && !inFlight.empty(); ++i) {
            const TRequest r = inFlight.front();
            inFlight.pop_front();
            done.push_back({r.Tag, Result ? Result(r) : static_cast<std::int64_t>(r.Bytes)});
        }
    }

    int PerWait = INT_MAX;
    std::function<std::int64_t(const TRequest&)> Result;
    std::function<void()> OnWait;
    std::deque<TRequest> inFlight;
    std::vector<TRequest> submitted;
    std::vector<int> atWait;
    int maxInFlight = 0;
};

// Hands every call to a queue the test keeps, so that it can be looked at
// after the profile has let its queue go.
class TForward : public TIoQueue {
public:
    explicit TForward(TIoQueue& to) : to_(to) {}
    void Submit(TIoKind kind, std::int64_t offset, void* buffer, std::size_t bytes,
                std::uint64_t tag) override
    {
        to_.Submit(kind, offset, buffer, bytes, tag);
    }
    void Wait(std::vector<TIoCompletion>& done, std::uint32_t timeoutMs) override
    {
        to_.Wait(done, timeoutMs);
    }

private:
    TIoQueue& to_;
};

// Ticks from `start`, `step` milliseconds further at every reading.
TickSource Scripted(std::uint32_t start, std::uint32_t step)
{
    return [now = start, step]() mutable {
        const std::uint32_t t = now;
        now += step;
        return t;
    };
}

TQueuedSource Sequential(std::size_t bytes)
{
    static char buffer[1];
    TQueuedSource source;
    source.NextOffset = [next = std::int64_t{0}, bytes]() mutable {
        const std::int64_t at = next;
        next += static_cast<std::int64_t>(bytes);
        return at;
    };
    source.Buffer = [](int) -> void* { return buffer; };
    return source;
}

struct Clocked {
    const char* name;
    int depth;
    std::size_t bytes;
    int perWait;
    std::uint32_t start, step;
    std::int32_t durationMs;
    std::int64_t limit;
    std::int64_t requests;
    std::int32_t elapsedMs;
    long double mibPerSec, opsPerSec;
};

void PrintTo(const Clocked& row, std::ostream* os)
{
    *os << row.name;
}

class QueuedArithmetic : public ::testing::TestWithParam<Clocked> {};

// The clock is read before the first request, after each wait while
// requests are still started under a time limit, and after the last
// completion; requests completed after the time is up count.
TEST_P(QueuedArithmetic, FiguresFromScriptedClock)
{
    const Clocked& row = GetParam();
    TScriptedQueue queue;
    queue.PerWait = row.perWait;
    TQueuedRequests what;
    what.Bytes = row.bytes;
    what.Depth = row.depth;
    what.DurationMs = row.durationMs;
    what.Limit = row.limit;
    const TQueuedRun run =
        RunQueued(queue, what, Sequential(row.bytes), Scripted(row.start, row.step), nullptr);
    EXPECT_EQ(run.Requests, row.requests);
    EXPECT_EQ(run.Bytes, row.requests * static_cast<std::int64_t>(row.bytes));
    EXPECT_EQ(run.ElapsedMs, row.elapsedMs);
    EXPECT_TRUE(queue.inFlight.empty());
    const TDiskFigure figure = DiskFigure(run);
    EXPECT_NEAR(static_cast<double>(figure.MiBPerSec), static_cast<double>(row.mibPerSec), 1e-9);
    EXPECT_NEAR(static_cast<double>(figure.OpsPerSec), static_cast<double>(row.opsPerSec), 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Table, QueuedArithmetic,
                         ::testing::Values(
                             // 4 per wait at 1007, 1014, 1021 (past 20 ms: no more), then 1028.
                             Clocked{"all_complete_each_wait", 4, 4096, INT_MAX, 1000, 7, 20, 0, 12,
                                     28, 12 * 4096.0L / 1048576 / 28 * 1000, 12.0L / 28 * 1000},
                             // The counter wraps between the readings.
                             Clocked{"tick_counter_wraps", 1, 1048576, INT_MAX, 0xFFFFFFF0u, 10, 25,
                                     0, 3, 40, 3.0L / 40 * 1000, 3.0L / 40 * 1000},
                             // The time is up with one request in flight: it is waited for and
                             // counts, and the last reading comes after it.
                             Clocked{"drained_request_counts", 2, 4096, 1, 0, 5, 10, 0, 3, 15,
                                     3 * 4096.0L / 1048576 / 15 * 1000, 3.0L / 15 * 1000},
                             // A request count and no time limit: exactly that many, and the
                             // clock read only before and after.
                             Clocked{"limit_without_time", 8, 1048576, 3, 0, 1, 0, 20, 20, 1, 20000,
                                     20000}),
                         [](const auto& info) { return std::string(info.param.name); });

struct Depth {
    const char* name;
    int depth;
    int perWait;
};

void PrintTo(const Depth& row, std::ostream* os)
{
    *os << row.name;
}

class QueueDepth : public ::testing::TestWithParam<Depth> {};

// Until the time is up every wait finds the full depth in flight; then the
// count only falls, to none.
TEST_P(QueueDepth, KeptFullThenDrained)
{
    TScriptedQueue queue;
    queue.PerWait = GetParam().perWait;
    TQueuedRequests what;
    what.Bytes = 4096;
    what.Depth = GetParam().depth;
    what.DurationMs = 50;
    RunQueued(queue, what, Sequential(4096), Scripted(0, 1), nullptr);
    EXPECT_EQ(queue.maxInFlight, GetParam().depth);
    ASSERT_FALSE(queue.atWait.empty());
    std::size_t full = 0;
    while (full < queue.atWait.size() && queue.atWait[full] == GetParam().depth) ++full;
    // 50 ms at one tick per reading: about 49 waits at full depth.
    EXPECT_GE(full, 45u);
    for (std::size_t i = full; i < queue.atWait.size(); ++i)
        EXPECT_LT(queue.atWait[i], queue.atWait[i - 1]) << "wait " << i;
    EXPECT_TRUE(queue.inFlight.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, QueueDepth,
                         ::testing::Values(Depth{"q1", 1, 1}, Depth{"q8_one_at_a_time", 8, 1},
                                           Depth{"q32_three_at_a_time", 32, 3},
                                           Depth{"q32_all_at_once", 32, INT_MAX}),
                         [](const auto& info) { return std::string(info.param.name); });

struct Failure {
    const char* name;
    TIoKind kind;
    std::int64_t result;  // of the third request
    int code;
};

void PrintTo(const Failure& row, std::ostream* os)
{
    *os << row.name;
}

class QueueFailure : public ::testing::TestWithParam<Failure> {};

// A failed or short request ends the run with its code, once every request
// in flight has come back, and no request is started after it.
TEST_P(QueueFailure, RaisedAfterDraining)
{
    TScriptedQueue queue;
    queue.PerWait = 1;
    int completions = 0;
    queue.Result = [&](const TScriptedQueue::TRequest& r) -> std::int64_t {
        return ++completions == 3 ? GetParam().result : static_cast<std::int64_t>(r.Bytes);
    };
    TQueuedRequests what;
    what.Kind = GetParam().kind;
    what.Bytes = 4096;
    what.Depth = 4;
    what.DurationMs = 1000;
    try {
        RunQueued(queue, what, Sequential(4096), Scripted(0, 1), nullptr);
        FAIL() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode(), GetParam().code);
    }
    EXPECT_TRUE(queue.inFlight.empty());
    // Four at the start, one after each of the two good completions.
    EXPECT_EQ(queue.submitted.size(), 6u);
}

INSTANTIATE_TEST_SUITE_P(Table, QueueFailure,
                         ::testing::Values(Failure{"read_error", TIoKind::Read, -EIO, EIO},
                                           Failure{"write_no_space", TIoKind::Write, -ENOSPC,
                                                   ENOSPC},
                                           Failure{"short_read", TIoKind::Read, 512, ENODATA},
                                           Failure{"short_write", TIoKind::Write, 0, EIO}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(QueueStop, SeenAfterTheWaitThenDrained)
{
    TScriptedQueue queue;
    queue.PerWait = 1;
    std::atomic<int> stop{0};
    int waits = 0;
    std::size_t submittedAtStop = 0;
    queue.OnWait = [&] {
        if (++waits == 10) {
            stop = 2;
            submittedAtStop = queue.submitted.size();
        }
    };
    TQueuedRequests what;
    what.Bytes = 4096;
    what.Depth = 8;
    what.DurationMs = 100000;
    const TQueuedRun run = RunQueued(queue, what, Sequential(4096), Scripted(0, 1), &stop);
    EXPECT_TRUE(run.Stopped);
    EXPECT_EQ(queue.submitted.size(), submittedAtStop);
    EXPECT_EQ(run.Requests, static_cast<std::int64_t>(submittedAtStop));
    EXPECT_TRUE(queue.inFlight.empty());
}

struct Spread {
    const char* name;
    std::int64_t fileBytes;
    std::size_t block;
    int drawsPerBlock;
};

void PrintTo(const Spread& row, std::ostream* os)
{
    *os << row.name;
}

class RandomOffsets : public ::testing::TestWithParam<Spread> {};

// Aligned, inside the file, every block reached, and even over eight
// slices of the file (each within six standard deviations of an eighth).
TEST_P(RandomOffsets, AlignedAndCoveringTheFile)
{
    const Spread& row = GetParam();
    const std::int64_t blocks = row.fileBytes / static_cast<std::int64_t>(row.block);
    const std::int64_t draws = blocks * row.drawsPerBlock;
    TRandomBlocks offsets(12345, row.fileBytes, row.block);
    std::set<std::int64_t> seen;
    std::vector<std::int64_t> slices(8);
    for (std::int64_t i = 0; i < draws; ++i) {
        const std::int64_t at = offsets.Next();
        ASSERT_EQ(at % static_cast<std::int64_t>(row.block), 0) << at;
        ASSERT_GE(at, 0);
        ASSERT_LE(at + static_cast<std::int64_t>(row.block), row.fileBytes);
        seen.insert(at);
        ++slices[static_cast<std::size_t>(at * 8 / row.fileBytes)];
    }
    if (row.drawsPerBlock >= 20) {
        EXPECT_EQ(static_cast<std::int64_t>(seen.size()), blocks);
        // The last block is reached too: nothing is cut off the file's end.
        EXPECT_EQ(seen.count(blocks * static_cast<std::int64_t>(row.block) -
                             static_cast<std::int64_t>(row.block)),
                  1u);
    }
    const double expected = draws / 8.0;
    const double sigma = std::sqrt(draws * (1.0 / 8) * (7.0 / 8));
    for (std::size_t s = 0; s < slices.size(); ++s)
        EXPECT_NEAR(static_cast<double>(slices[s]), expected, 6 * sigma) << "slice " << s;
}

INSTANTIATE_TEST_SUITE_P(Table, RandomOffsets,
                         ::testing::Values(Spread{"4k_in_1mib", 1 << 20, 4096, 40},
                                           Spread{"1m_in_64mib", 64 << 20, 1 << 20, 40},
                                           Spread{"4k_in_1gib", 1LL << 30, 4096, 1},
                                           Spread{"4k_in_file_not_a_multiple", (1 << 20) + 1000,
                                                  4096, 40}),
                         [](const auto& info) { return std::string(info.param.name); });

struct Folder {
    const char* name;
    TDiskFolderFacts facts;
    std::int64_t fileMiB;
    const char* problem;  // a part of the reason; empty: accepted
};

void PrintTo(const Folder& row, std::ostream* os)
{
    *os << row.name;
}

class FolderCheck : public ::testing::TestWithParam<Folder> {};

TEST_P(FolderCheck, RefusedBeforeAnythingIsWritten)
{
    const auto problem = DiskFolderProblem("/data", GetParam().fileMiB, GetParam().facts);
    if (*GetParam().problem == '\0') {
        EXPECT_FALSE(problem) << *problem;
    } else {
        ASSERT_TRUE(problem);
        EXPECT_NE(problem->find(GetParam().problem), std::string::npos) << *problem;
    }
}

constexpr std::int64_t kMiB = 1048576;

INSTANTIATE_TEST_SUITE_P(
    Table, FolderCheck,
    ::testing::Values(
        Folder{"missing", {false, 0, 100 * kMiB}, 64, "there is no folder /data"},
        Folder{"read_only", {true, EROFS, 100 * kMiB}, 64, "cannot be written"},
        Folder{"no_permission", {true, EACCES, 100 * kMiB}, 64, "cannot be written"},
        Folder{"below_64_mib", {true, 0, 100 * kMiB}, 63, "too small"},
        Folder{"free_unknown", {true, 0, std::nullopt}, 64, "cannot be read"},
        Folder{"above_free", {true, 0, 1000 * kMiB}, 1001, "more than the 1000 MiB free"},
        Folder{"no_room_for_tenth", {true, 0, 1126 * kMiB}, 1024, "needs 1127 MiB"},
        Folder{"tenth_rounded_up", {true, 0, 70 * kMiB}, 64, "needs 71 MiB"},
        Folder{"tenth_rounded_up_fits", {true, 0, 71 * kMiB}, 64, ""},
        Folder{"just_enough", {true, 0, 1127 * kMiB}, 1024, ""},
        Folder{"plenty", {true, 0, 1LL << 40}, 1024, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// A folder beside the test's working folder, on a disk whatever /tmp is,
// removed with what is left in it.
class TScratch {
public:
    TScratch()
        : path_(fs::current_path() / ("disk_profile_test." + std::to_string(CurrentProcessId())))
    {
        fs::remove_all(path_);
        fs::create_directory(path_);
    }
    ~TScratch()
    {
        std::error_code error;
        fs::remove_all(path_, error);
    }
    std::string Path() const { return path_.string(); }
    void Put(const std::string& name, bool folder = false) const
    {
        if (folder)
            fs::create_directory(path_ / name);
        else
            std::ofstream(path_ / name) << "x";
    }
    std::set<std::string> Names() const
    {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(path_))
            names.insert(e.path().filename().string());
        return names;
    }

private:
    fs::path path_;
};

struct Leftover {
    const char* name;
    std::string file;
    bool folder;
    bool removed;
};

void PrintTo(const Leftover& row, std::ostream* os)
{
    *os << row.name;
}

class Leftovers : public ::testing::TestWithParam<Leftover> {};

// Process 4242 runs; every other number is gone.
TEST_P(Leftovers, OnlyDeadRunsFilesGo)
{
    TScratch dir;
    dir.Put(GetParam().file, GetParam().folder);
    std::vector<std::string> messages;
    RemoveLeftoverTestFiles(
        dir.Path(), [&](const std::string& m) { messages.push_back(m); },
        [](std::int64_t pid) { return pid == 4242; });
    EXPECT_EQ(dir.Names().count(GetParam().file), GetParam().removed ? 0u : 1u);
    ASSERT_EQ(messages.size(), GetParam().removed ? 1u : 0u);
    if (GetParam().removed) {
        EXPECT_NE(messages[0].find("Removed the test file"), std::string::npos) << messages[0];
        EXPECT_NE(messages[0].find(GetParam().file), std::string::npos) << messages[0];
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Leftovers,
    ::testing::Values(Leftover{"dead_run", "vesktest-disk-2147483645.tmp", false, true},
                      Leftover{"running_run", "vesktest-disk-4242.tmp", false, false},
                      Leftover{"this_process", DiskTestFileName(CurrentProcessId()), false, true},
                      Leftover{"no_number", "vesktest-disk-.tmp", false, false},
                      Leftover{"not_a_number", "vesktest-disk-12a.tmp", false, false},
                      Leftover{"leading_zero", "vesktest-disk-0123.tmp", false, false},
                      Leftover{"other_suffix", "vesktest-disk-77.tmp.bak", false, false},
                      Leftover{"other_file", "notes.tmp", false, false},
                      Leftover{"a_folder", "vesktest-disk-99.tmp", true, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProcessIds, ThisOneRunsAnImpossibleOneDoesNot)
{
    EXPECT_TRUE(ProcessMayBeRunning(CurrentProcessId()));
    EXPECT_FALSE(ProcessMayBeRunning(2147483645));
    EXPECT_FALSE(ProcessMayBeRunning(0));
}

// The whole test over a scripted queue: the real test file is made (64 MiB,
// allocated), the requests complete at once, the clock is scripted.
class DiskProfileTest : public ::testing::Test {
protected:
    TDiskProfile Measure()
    {
        TDiskProfileSettings settings;
        settings.Folder = dir.Path();
        settings.FileMiB = 64;
        settings.MillisecondsPerFigure = 20;
        settings.Seed = 99;
        hooks.OpenQueue = [this](TTestFile&, int) {
            queue = &scripted;
            scripted.PerWait = perWait;
            scripted.Result = result;
            scripted.OnWait = onWait;
            return std::make_unique<TForward>(scripted);
        };
        return MeasureDiskProfile(
            settings, Scripted(0, 1), &stop, [&](const std::string& m) { messages.push_back(m); },
            [&](const std::string& part) {
                parts.push_back(part);
                if (queue) boundaries.push_back(queue->submitted.size());
            },
            hooks);
    }

    // The test files in the folder.
    std::size_t TestFiles() const
    {
        std::size_t n = 0;
        for (const std::string& name : dir.Names()) n += DiskTestFilePid(name).has_value();
        return n;
    }

    TScratch dir;
    TDiskProfileHooks hooks;
    TScriptedQueue scripted;
    TScriptedQueue* queue = nullptr;  // once the profile has opened it
    int perWait = INT_MAX;
    std::function<std::int64_t(const TScriptedQueue::TRequest&)> result;
    std::function<void()> onWait;
    std::atomic<int> stop{0};
    std::vector<std::string> messages, parts;
    std::vector<std::size_t> boundaries;
};

TEST_F(DiskProfileTest, EightFiguresEachAtItsDepthAndTheFileGone)
{
    perWait = 1;
    int randomPhases = 0;
    TScores scores;
    const TDiskProfile profile = Measure();
    StoreDiskScores(profile, scores);
    ASSERT_EQ(parts.size(), 1 + kDiskPhases.size());
    EXPECT_EQ(parts[0], "writing the test file");
    boundaries.push_back(queue->submitted.size());
    // The fill: the whole file once, 1 MiB at a time, in order.
    ASSERT_EQ(boundaries[1] - boundaries[0], 64u);
    for (std::size_t i = 0; i < 64; ++i)
        EXPECT_EQ(queue->submitted[i].Offset, static_cast<std::int64_t>(i) << 20);
    for (std::size_t p = 0; p < kDiskPhases.size(); ++p) {
        const TDiskPhase& phase = kDiskPhases[p];
        EXPECT_EQ(parts[p + 1], phase.Part);
        std::size_t count = 0;
        for (std::size_t i = boundaries[p + 1]; i < boundaries[p + 2]; ++i) {
            const auto& r = queue->submitted[i];
            EXPECT_EQ(r.Kind, phase.Kind) << phase.Part;
            EXPECT_EQ(r.Bytes, phase.Block) << phase.Part;
            EXPECT_LT(r.Tag, static_cast<std::uint64_t>(phase.Depth)) << phase.Part;
            ++count;
        }
        EXPECT_GE(count, static_cast<std::size_t>(phase.Depth)) << phase.Part;
        EXPECT_GT(scores.*phase.Score, 0) << phase.Part;
        EXPECT_EQ(profile.Figures[p].Requests, static_cast<std::int64_t>(count)) << phase.Part;
        if (phase.Iops) {
            ASSERT_TRUE((profile.Details.*phase.Iops).has_value()) << phase.Part;
            EXPECT_DOUBLE_EQ(*(profile.Details.*phase.Iops),
                             static_cast<double>(profile.Figures[p].OpsPerSec));
            ++randomPhases;
        }
    }
    EXPECT_EQ(randomPhases, 4);
    EXPECT_EQ(queue->maxInFlight, kDiskMaxDepth);
    EXPECT_EQ(profile.Details.FileMiB, 64);
    EXPECT_EQ(profile.Details.Folder, dir.Path());
    EXPECT_DOUBLE_EQ(profile.Details.Seconds, 0.02);
    EXPECT_EQ(TestFiles(), 0u);
}

TEST_F(DiskProfileTest, ErrorRemovesTheFile)
{
    int writes = 0;
    result = [&](const TScriptedQueue::TRequest& r) -> std::int64_t {
        return r.Kind == TIoKind::Write && ++writes == 70 ? -EIO
                                                          : static_cast<std::int64_t>(r.Bytes);
    };
    try {
        Measure();
        FAIL() << "no error";
    } catch (const EDiskProfileFailure& e) {
        EXPECT_NE(e.Message().find("Writing the test file"), std::string::npos) << e.Message();
        EXPECT_NE(e.Message().find(ErrnoText(EIO)), std::string::npos) << e.Message();
    }
    EXPECT_TRUE(queue->inFlight.empty());
    EXPECT_EQ(TestFiles(), 0u);
}

TEST_F(DiskProfileTest, StopInsideAFigureDrainsThenRemovesTheFile)
{
    int waits = 0;
    onWait = [&] {
        if (++waits == 50) stop = 15;
    };
    try {
        Measure();
        FAIL() << "not stopped";
    } catch (const TStopRequest& s) {
        EXPECT_EQ(s.Signal, 15);
    }
    EXPECT_TRUE(queue->inFlight.empty());
    EXPECT_EQ(TestFiles(), 0u);
}

TEST_F(DiskProfileTest, CacheThatCannotBeBypassedIsAnErrorNotAFigure)
{
    hooks.Create = [](TTestFile&, const std::string&) { return EINVAL; };
    try {
        Measure();
        FAIL() << "measured";
    } catch (const EDiskProfileFailure& e) {
        EXPECT_NE(e.Message().find("does not let requests bypass the cache"), std::string::npos)
            << e.Message();
    }
    EXPECT_TRUE(parts.empty());
    EXPECT_EQ(TestFiles(), 0u);
}

TEST_F(DiskProfileTest, TooLittleSpaceCreatesNothing)
{
    int creates = 0;
    hooks.Create = [&](TTestFile& file, const std::string& path) {
        ++creates;
        return file.Create(path);
    };
    hooks.Facts = [](const std::string&) { return TDiskFolderFacts{true, 0, 70 * kMiB}; };
    try {
        Measure();
        FAIL() << "measured";
    } catch (const EDiskProfileFailure& e) {
        EXPECT_NE(e.Message().find("needs 71 MiB"), std::string::npos) << e.Message();
    }
    EXPECT_EQ(creates, 0);
}

TEST(TestFileCreation, NeverOpensAFileThatExists)
{
    TScratch dir;
    dir.Put("taken.tmp");
    TTestFile file;
    EXPECT_EQ(file.Create(PathInFolder(dir.Path(), "taken.tmp")), EEXIST);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(dir.Names().count("taken.tmp"), 1u);
    std::ifstream in(fs::path(dir.Path()) / "taken.tmp");
    std::string text;
    in >> text;
    EXPECT_EQ(text, "x");
}

struct TCounts {
    int InFlight = 0, Max = 0, Failed = 0;
};

// The system's queue, counted from outside.
class TCountingQueue : public TIoQueue {
public:
    TCountingQueue(std::unique_ptr<TIoQueue> inner, TCounts& counts)
        : inner_(std::move(inner)), counts_(counts)
    {
    }
    void Submit(TIoKind kind, std::int64_t offset, void* buffer, std::size_t bytes,
                std::uint64_t tag) override
    {
        inner_->Submit(kind, offset, buffer, bytes, tag);
        counts_.Max = std::max(counts_.Max, ++counts_.InFlight);
    }
    void Wait(std::vector<TIoCompletion>& done, std::uint32_t timeoutMs) override
    {
        const std::size_t before = done.size();
        inner_->Wait(done, timeoutMs);
        counts_.InFlight -= static_cast<int>(done.size() - before);
        for (std::size_t i = before; i < done.size(); ++i)
            if (done[i].Result < 0) ++counts_.Failed;
    }

private:
    std::unique_ptr<TIoQueue> inner_;
    TCounts& counts_;
};

// The one run on the real disk: 64 MiB, a tenth of a second per figure.
TEST(DiskProfileOnDisk, EightFiguresAndNothingLeft)
{
    TScratch dir;
    TDiskProfileSettings settings;
    settings.Folder = dir.Path();
    settings.FileMiB = 64;
    settings.MillisecondsPerFigure = 100;
    TCounts counts;
    TDiskProfileHooks hooks;
    hooks.OpenQueue = [&](TTestFile& file, int depth) -> std::unique_ptr<TIoQueue> {
        return std::make_unique<TCountingQueue>(file.OpenQueue(depth), counts);
    };
    std::vector<std::string> messages;
    const std::int64_t buffersBefore = TAlignedBuffer::LiveCount();
    const TDiskProfile profile = MeasureDiskProfile(
        settings, SystemTicks(), nullptr, [&](const std::string& m) { messages.push_back(m); },
        [](const std::string&) {}, hooks);
    for (std::size_t p = 0; p < kDiskPhases.size(); ++p) {
        EXPECT_GT(profile.Figures[p].Requests, 0) << kDiskPhases[p].Part;
        EXPECT_GT(profile.Figures[p].MiBPerSec, 0) << kDiskPhases[p].Part;
    }
    EXPECT_EQ(counts.Max, kDiskMaxDepth);
    EXPECT_EQ(counts.Failed, 0);
    EXPECT_EQ(counts.InFlight, 0);
    EXPECT_TRUE(dir.Names().empty());
    EXPECT_EQ(TAlignedBuffer::LiveCount(), buffersBefore);
}

}  // namespace
}  // namespace vt
