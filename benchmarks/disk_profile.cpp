#include "benchmarks/disk_profile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/direct_file.h"
#include "platform/file_system_type.h"
#include "platform/process_id.h"
#include "platform/stop_request.h"
#include "platform/storage_device.h"

namespace vt {

namespace {

constexpr std::int64_t kMiB = 1048576;

// splitmix64: a full-period 64-bit generator whose outputs pass the usual
// statistical batteries; plenty for offsets and for data a drive cannot
// compress.
std::uint64_t SplitMix(std::uint64_t& state)
{
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

void FillRandom(void* buffer, std::size_t bytes, std::uint64_t& state)
{
    auto* out = static_cast<unsigned char*>(buffer);
    for (std::size_t i = 0; i + 8 <= bytes; i += 8) {
        const std::uint64_t word = SplitMix(state);
        std::memcpy(out + i, &word, 8);
    }
}

std::string Reason(int code)
{
    return ErrnoText(code);
}

[[noreturn]] void Fail(const std::string& text)
{
    throw EDiskProfileFailure(text);
}

}  // namespace

TRandomBlocks::TRandomBlocks(std::uint64_t seed, std::int64_t fileBytes, std::size_t block)
    : state_(seed), blocks_(static_cast<std::uint64_t>(fileBytes) / block), block_(block)
{
}

std::int64_t TRandomBlocks::Next()
{
    // The 64-bit draw scaled to 0 .. blocks-1 by the high half of the
    // product: no modulo bias worth the name for any file size.
    const unsigned __int128 wide = static_cast<unsigned __int128>(SplitMix(state_)) * blocks_;
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(wide >> 64) * block_);
}

std::int64_t TSequentialBlocks::Next()
{
    if (next_ + block_ > size_) next_ = 0;
    const std::int64_t offset = next_;
    next_ += block_;
    return offset;
}

TDiskFigure DiskFigure(const TQueuedRun& run)
{
    if (run.ElapsedMs <= 0) throw EZeroDivide();
    TDiskFigure figure;
    figure.Requests = run.Requests;
    figure.Bytes = run.Bytes;
    figure.ElapsedMs = run.ElapsedMs;
    const long double ms = run.ElapsedMs;
    figure.MiBPerSec = static_cast<long double>(run.Bytes) / 1048576.0L / ms * 1000.0L;
    figure.OpsPerSec = static_cast<long double>(run.Requests) / ms * 1000.0L;
    return figure;
}

TDiskRequests::TDiskRequests(TTestFile& file, std::int64_t fileBytes, std::uint64_t seed,
                             const TickSource& ticks, const std::atomic<int>* stop,
                             const TQueueOpener& open)
    : path_(file.Path()), fileBytes_(fileBytes), ticks_(ticks), stop_(stop), seed_(seed)
{
    // One slot per request in flight, the most any phase keeps.
    std::size_t slotBytes = 0;
    for (const TDiskPhase& phase : kDiskPhases)
        slotBytes = std::max(slotBytes, phase.Block * static_cast<std::size_t>(phase.Depth));
    if (!buffers_.Allocate(slotBytes, file.BufferAlignment())) throw EOutOfMemory();
    dataState_ = seed ^ 0x5DEECE66DULL;
    FillRandom(buffers_.Data(), buffers_.Size(), dataState_);
    try {
        queue_ = open ? open(file, kDiskMaxDepth) : file.OpenQueue(kDiskMaxDepth);
    } catch (const EInOutError& e) {
        Fail("The system gives no queue of uncached requests on " + path_ + ": " +
             Reason(e.ErrorCode()));
    }
}

TDiskRequests::~TDiskRequests() = default;

void TDiskRequests::Close()
{
    queue_.reset();
}

TQueuedRun TDiskRequests::Run(const TQueuedRequests& what, std::function<std::int64_t()> next,
                              bool freshData)
{
    TQueuedSource source;
    source.NextOffset = std::move(next);
    source.Buffer = [this, block = what.Bytes](int slot) -> void* {
        return static_cast<unsigned char*>(buffers_.Data()) +
               static_cast<std::size_t>(slot) * block;
    };
    source.BeforeWrite = [this, block = what.Bytes, freshData](void* buffer, std::int64_t offset) {
        if (freshData) FillRandom(buffer, block, dataState_);
        Stamp(buffer, offset, block);
    };
    TQueuedRun run;
    try {
        run = RunQueued(*queue_, what, source, ticks_, stop_);
    } catch (const EInOutError& e) {
        Fail(std::string(what.Kind == TIoKind::Read ? "Reading" : "Writing") + " the test file " +
             path_ + " failed: " + Reason(e.ErrorCode()));
    }
    if (run.Stopped) throw TStopRequest{stop_ ? stop_->load() : 0};
    return run;
}

void TDiskRequests::Stamp(void* buffer, std::int64_t offset, std::size_t bytes)
{
    auto* out = static_cast<unsigned char*>(buffer);
    ++writes_;
    for (std::size_t at = 0; at < bytes; at += 4096) {
        const std::int64_t where = offset + static_cast<std::int64_t>(at);
        std::memcpy(out + at, &where, 8);
        std::memcpy(out + at + 8, &writes_, 8);
    }
}

void TDiskRequests::Fill()
{
    TQueuedRequests fill;
    fill.Kind = TIoKind::Write;
    fill.Bytes = kDiskSeqBlock;
    fill.Depth = 8;
    fill.Limit = fileBytes_ / static_cast<std::int64_t>(kDiskSeqBlock);
    TSequentialBlocks offsets(fileBytes_, kDiskSeqBlock);
    Run(
        fill, [&] { return offsets.Next(); }, true);
}

TDiskFigure TDiskRequests::Measure(std::size_t index, std::int32_t milliseconds)
{
    const TDiskPhase& phase = kDiskPhases.at(index);
    TQueuedRequests what;
    what.Kind = phase.Kind;
    what.Bytes = phase.Block;
    what.Depth = phase.Depth;
    what.DurationMs = milliseconds;
    TRandomBlocks random(seed_ + index, fileBytes_, phase.Block);
    TSequentialBlocks sequential(fileBytes_, phase.Block);
    // The measured writes only stamp their blocks: new random data for every
    // request would time the generator along with the drive.
    if (phase.Random)
        return DiskFigure(Run(
            what, [&] { return random.Next(); }, false));
    return DiskFigure(Run(
        what, [&] { return sequential.Next(); }, false));
}

TDiskProfile MeasureDiskProfile(const TDiskProfileSettings& settings, const TickSource& ticks,
                                const std::atomic<int>* stop,
                                const std::function<void(const std::string&)>& message,
                                const std::function<void(const std::string& part)>& step,
                                const TDiskProfileHooks& hooks)
{
    const std::string& folder = settings.Folder;
    RemoveLeftoverTestFiles(folder, message, hooks.Running);
    const TDiskFolderFacts facts =
        hooks.Facts ? hooks.Facts(folder) : ReadDiskFolderFacts(folder, hooks.Running);
    if (const auto problem = DiskFolderProblem(folder, settings.FileMiB, facts))
        Fail("Test 7 cannot run: " + *problem);

    TDiskProfile profile;
    TDiskDetails& details = profile.Details;
    details.Folder = folder;
    details.FileMiB = settings.FileMiB;
    details.Seconds = settings.MillisecondsPerFigure / 1000.0;
    const std::string type = FileSystemTypeOf(folder);
    if (!type.empty()) {
        details.FileSystem = type;
        details.StorageKind = StorageKindName(ClassifyFileSystem(type));
    }
    details.DeviceModel = StorageDeviceModel(folder);
    if (const std::string warning = NotADiskWarning(folder, type); !warning.empty())
        message(warning);

    const std::string path = PathInFolder(folder, DiskTestFileName(CurrentProcessId()));
    const std::int64_t fileBytes = settings.FileMiB * kMiB;
    TTestFile file;
    const int created = hooks.Create ? hooks.Create(file, path) : file.Create(path);
    if (created == EINVAL)
        Fail("The file system of " + folder + (type.empty() ? "" : " (" + type + ")") +
             " does not let requests bypass the cache: test 7 measures no cached figures");
    if (created != 0) Fail("Cannot create the test file " + path + ": " + Reason(created));
    if (const int error = file.Resize(fileBytes))
        Fail("Cannot give the test file " + path + " " + std::to_string(settings.FileMiB) +
             " MiB: " + Reason(error));
    // Every request size and offset is a multiple of 4 KiB.
    if (kDiskRndBlock % file.OffsetAlignment() != 0)
        Fail("The file system of " + folder + " takes uncached requests in blocks of " +
             std::to_string(file.OffsetAlignment()) + " bytes, more than 4 KiB");

    std::uint64_t seed = settings.Seed;
    if (seed == 0)
        seed = (static_cast<std::uint64_t>(ticks()) << 32) ^
               static_cast<std::uint64_t>(CurrentProcessId());
    TDiskRequests requests(file, fileBytes, seed, ticks, stop, hooks.OpenQueue);
    step("writing the test file");
    requests.Fill();
    for (std::size_t i = 0; i < kDiskPhases.size(); ++i) {
        const TDiskPhase& phase = kDiskPhases[i];
        step(phase.Part);
        profile.Figures[i] = requests.Measure(i, settings.MillisecondsPerFigure);
        if (phase.Iops) details.*phase.Iops = static_cast<double>(profile.Figures[i].OpsPerSec);
    }
    requests.Close();
    if (const int error = file.Remove())
        message("Cannot remove the test file " + path + ": " + Reason(error));
    return profile;
}

void StoreDiskScores(const TDiskProfile& profile, TScores& scores)
{
    for (std::size_t i = 0; i < kDiskPhases.size(); ++i)
        scores.*kDiskPhases[i].Score = static_cast<double>(profile.Figures[i].MiBPerSec);
}

}  // namespace vt
