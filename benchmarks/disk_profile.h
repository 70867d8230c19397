// Test 7: the disk profile.
//
// A test file of the program's own (TTestFile) is made in the chosen
// folder, filled with data no compressing or deduplicating drive can shrink,
// and measured eight ways, each for the same time: sequential 1 MiB requests
// with 8 and with 1 in flight, random 4 KiB requests with 32 and with 1 in
// flight, first reading, then writing. Every request bypasses the cache.
// Random offsets are multiples of the request size, drawn evenly over the
// whole file from a seeded generator. A figure is the bytes transferred over
// the time from before the first request to after the last completion,
// requests still in flight when the time is up included.
//
// The file is removed on every path: the end, an error, a stop request
// (looked at after every completion: the requests in flight are waited for,
// then the file goes).
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "benchmarks/disk_folder.h"
#include "platform/direct_file.h"
#include "platform/errors.h"
#include "platform/queued_io.h"
#include "platform/tick_count.h"
#include "results/run_record.h"
#include "results/scores.h"

namespace vt {

struct TDiskPhase {
    const char* Part;  // what the progress shows
    TIoKind Kind;
    std::size_t Block;
    int Depth;
    bool Random;
    double TScores::*Score;
    std::optional<double> TDiskDetails::*Iops;  // random requests only
};

inline constexpr std::size_t kDiskSeqBlock = 1048576;
inline constexpr std::size_t kDiskRndBlock = 4096;
inline constexpr int kDiskMaxDepth = 32;

// The eight figures in the order they are measured.
// clang-format off
inline constexpr std::array<TDiskPhase, 8> kDiskPhases = {{
    {"sequential 1 MiB reads, 8 in flight",  TIoKind::Read,  kDiskSeqBlock, 8,  false, &TScores::DiskSeq1MQ8Read,   nullptr},
    {"sequential 1 MiB reads, 1 in flight",  TIoKind::Read,  kDiskSeqBlock, 1,  false, &TScores::DiskSeq1MQ1Read,   nullptr},
    {"random 4 KiB reads, 32 in flight",     TIoKind::Read,  kDiskRndBlock, 32, true,  &TScores::DiskRnd4KQ32Read,  &TDiskDetails::Rnd4KQ32ReadIops},
    {"random 4 KiB reads, 1 in flight",      TIoKind::Read,  kDiskRndBlock, 1,  true,  &TScores::DiskRnd4KQ1Read,   &TDiskDetails::Rnd4KQ1ReadIops},
    {"sequential 1 MiB writes, 8 in flight", TIoKind::Write, kDiskSeqBlock, 8,  false, &TScores::DiskSeq1MQ8Write,  nullptr},
    {"sequential 1 MiB writes, 1 in flight", TIoKind::Write, kDiskSeqBlock, 1,  false, &TScores::DiskSeq1MQ1Write,  nullptr},
    {"random 4 KiB writes, 32 in flight",    TIoKind::Write, kDiskRndBlock, 32, true,  &TScores::DiskRnd4KQ32Write, &TDiskDetails::Rnd4KQ32WriteIops},
    {"random 4 KiB writes, 1 in flight",     TIoKind::Write, kDiskRndBlock, 1,  true,  &TScores::DiskRnd4KQ1Write,  &TDiskDetails::Rnd4KQ1WriteIops},
}};
// clang-format on

// Offsets of `block`-byte requests drawn evenly over a file of `fileBytes`
// bytes: multiples of `block`, the last one ending at the file's end. The
// same seed gives the same offsets.
class TRandomBlocks {
public:
    TRandomBlocks(std::uint64_t seed, std::int64_t fileBytes, std::size_t block);
    std::int64_t Next();

private:
    std::uint64_t state_;
    std::uint64_t blocks_;
    std::uint64_t block_;
};

// Offsets one request after the other, from the file's start, starting over
// at its end.
class TSequentialBlocks {
public:
    TSequentialBlocks(std::int64_t fileBytes, std::size_t block) : size_(fileBytes), block_(block)
    {
    }
    std::int64_t Next();

private:
    std::int64_t size_;
    std::int64_t block_;
    std::int64_t next_ = 0;
};

struct TDiskFigure {
    std::int64_t Requests = 0;
    std::int64_t Bytes = 0;
    std::int32_t ElapsedMs = 0;
    long double MiBPerSec = 0;  // bytes / 1,048,576 / ms × 1000
    long double OpsPerSec = 0;  // requests / ms × 1000
};

// The figures of one run of the queue; EZeroDivide for no elapsed time.
TDiskFigure DiskFigure(const TQueuedRun& run);

struct TDiskProfileSettings {
    std::string Folder;  // file-system bytes
    std::int64_t FileMiB = kDiskDefaultMiB;
    std::int32_t MillisecondsPerFigure = kDiskDefaultSeconds * 1000;
    std::uint64_t Seed = 0;  // of the random offsets; 0: from the clock
};

using TQueueOpener = std::function<std::unique_ptr<TIoQueue>(TTestFile& file, int depth)>;

// Where tests take the system's place; an empty member is the system.
struct TDiskProfileHooks {
    std::function<int(TTestFile& file, const std::string& path)> Create;
    TQueueOpener OpenQueue;
    TProcessCheck Running;
    std::function<TDiskFolderFacts(const std::string& folder)> Facts;
};

struct TDiskProfile {
    std::array<TDiskFigure, kDiskPhases.size()> Figures;
    TDiskDetails Details;
};

// A failure of test 7, its message written as it stands.
class EDiskProfileFailure : public Exception {
public:
    using Exception::Exception;
};

// The requests on an opened test file of `fileBytes` bytes: their buffers
// (one slot per request in flight), their data (random from `seed`, every
// 4 KiB written stamped with its offset and a count, so that no two blocks
// are alike for a drive that keeps one copy of equal blocks) and their
// queue (`open`'s, or the file's own). MeasureDiskProfile measures with
// one; the disk bench too, on the file its reference reads. Failures raise
// EDiskProfileFailure naming the file; a stop request seen inside a part
// raises TStopRequest once the requests in flight are done.
class TDiskRequests {
public:
    TDiskRequests(TTestFile& file, std::int64_t fileBytes, std::uint64_t seed,
                  const TickSource& ticks, const std::atomic<int>* stop,
                  const TQueueOpener& open = {});
    ~TDiskRequests();
    TDiskRequests(const TDiskRequests&) = delete;
    TDiskRequests& operator=(const TDiskRequests&) = delete;

    // Writes the whole file once, 1 MiB at a time with 8 in flight, fresh
    // random data in every request: the reads then find real blocks, and
    // the measured writes overwrite them.
    void Fill();
    // Phase `index` of kDiskPhases for `milliseconds`.
    TDiskFigure Measure(std::size_t index, std::int32_t milliseconds);
    // Lets the queue go (every request has completed by then).
    void Close();

private:
    TQueuedRun Run(const TQueuedRequests& what, std::function<std::int64_t()> next, bool freshData);
    void Stamp(void* buffer, std::int64_t offset, std::size_t bytes);

    std::string path_;
    std::int64_t fileBytes_;
    TickSource ticks_;
    const std::atomic<int>* stop_;
    std::uint64_t seed_;
    std::uint64_t dataState_ = 0;
    std::uint64_t writes_ = 0;
    // The buffers outlive the queue, which waits for its requests.
    TAlignedBuffer buffers_;
    std::unique_ptr<TIoQueue> queue_;
};

// The whole test: leftovers removed (a message each), the folder checked
// again (EDiskProfileFailure with DiskFolderProblem's reason), the
// not-a-disk warning as a message, the file made and filled, the eight
// figures, the file removed. `step` is told each part before it begins
// ("writing the test file", then each phase's Part) and may raise to end the
// test, as a stop request does; a stop seen inside a part raises
// TStopRequest once the requests in flight are done. Failures raise
// EDiskProfileFailure naming the file and the system's reason; a file system
// that will not bypass the cache says so instead of measuring the cache.
TDiskProfile MeasureDiskProfile(const TDiskProfileSettings& settings, const TickSource& ticks,
                                const std::atomic<int>* stop,
                                const std::function<void(const std::string&)>& message,
                                const std::function<void(const std::string& part)>& step,
                                const TDiskProfileHooks& hooks = {});

// The figures as scores.
void StoreDiskScores(const TDiskProfile& profile, TScores& scores);

}  // namespace vt
