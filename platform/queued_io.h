// Uncached requests kept in flight from one thread, on a file of the
// program's own: what the disk profile measures with.
//
// TTestFile creates its file exclusively (never opening one that exists),
// for reading and writing with the page cache bypassed, and removes it again
// however it is left: Remove, the destructor, or on Windows the system itself
// when the last handle closes. Requests must use buffers aligned to
// BufferAlignment, sizes and offsets that are multiples of 4096.
//
// TIoQueue is the seam between the measuring loop and the system: Submit
// hands over one read or write and starts it, Wait returns the completions
// at hand. On Linux it is an io_uring; on Windows overlapped requests on an
// I/O completion port. Tests put a scripted queue in its place to count the
// requests in flight and choose when each completes.
//
// RunQueued is the loop itself: it keeps `Depth` requests of `Bytes` bytes in
// flight until the request count or the time is reached, or a stop is asked
// for, and then waits for every request still in flight before it returns or
// raises, so that no buffer is ever released under the device's feet.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/tick_count.h"

namespace vt {

enum class TIoKind { Read, Write };

struct TIoCompletion {
    std::uint64_t Tag = 0;
    std::int64_t Result = 0;  // bytes transferred, or -errno
};

class TIoQueue {
public:
    virtual ~TIoQueue() = default;
    // Hands over one request and starts it at once, on its own; `Tag` comes
    // back with its completion. The caller never has more requests in flight
    // than the queue's depth.
    virtual void Submit(TIoKind kind, std::int64_t offset, void* buffer, std::size_t bytes,
                        std::uint64_t tag) = 0;
    // Starts any request the system could not take at once and waits up to
    // `timeoutMs` for one to complete; appends every completion at hand to
    // `done` (none when the time ran out or a signal came). Raises
    // EInOutError when the system's queue fails.
    virtual void Wait(std::vector<TIoCompletion>& done, std::uint32_t timeoutMs) = 0;
};

class TTestFile {
public:
    TTestFile() = default;
    ~TTestFile() { Remove(); }
    TTestFile(const TTestFile&) = delete;
    TTestFile& operator=(const TTestFile&) = delete;

    // Creates `path` (file-system bytes), which must not exist, for uncached
    // reading and writing. Returns 0 or the errno code: EEXIST for a name
    // already taken, EINVAL where the file system refuses to bypass the
    // cache (the new file is then removed again), ...
    int Create(const std::string& path);
    bool IsOpen() const;
    const std::string& Path() const { return path_; }

    // Gives the file `bytes` bytes, allocated where the file system can
    // (ENOSPC when it cannot). Returns 0 or the errno code.
    int Resize(std::int64_t bytes);

    // The buffer alignment uncached requests on this file need (at least a
    // page), and the offset alignment (the file system's block for direct
    // requests; 512 where the system does not say).
    std::size_t BufferAlignment() const;
    std::size_t OffsetAlignment() const;

    // A queue of at most `depth` requests on this file; one per file, for
    // the file's life. Raises EInOutError when the system gives none.
    std::unique_ptr<TIoQueue> OpenQueue(int depth);

    // Closes and removes the file; nothing when it is not open. Returns 0 or
    // the errno code of the removal.
    int Remove();

private:
    std::string path_;
#if defined(_WIN32)
    void* handle_ = nullptr;  // a HANDLE; nullptr when closed
#else
    int fd_ = -1;
#endif
};

// What RunQueued is asked to do.
struct TQueuedRequests {
    TIoKind Kind = TIoKind::Read;
    std::size_t Bytes = 0;            // per request
    int Depth = 1;                    // requests kept in flight
    std::int64_t Limit = 0;           // requests to make; 0: as many as the time allows
    std::int32_t DurationMs = 0;      // 0: no time limit
    std::uint32_t WaitSliceMs = 100;  // longest wait before the stop flag is looked at again
};

struct TQueuedRun {
    std::int64_t Requests = 0;   // completed
    std::int64_t Bytes = 0;      // transferred
    std::int32_t ElapsedMs = 0;  // from before the first request to after the last completion
    bool Stopped = false;        // a stop request ended it early
};

// The offset of the next request; the buffer of slot 0 .. Depth-1 (each slot
// is one request in flight); and, for writes, a call that may change the
// slot's data just before it is written at an offset.
struct TQueuedSource {
    std::function<std::int64_t()> NextOffset;
    std::function<void*(int slot)> Buffer;
    std::function<void(void* buffer, std::int64_t offset)> BeforeWrite;
};

// Keeps `what.Depth` requests in flight on `queue` as described above. The
// clock is read once before the first request, after each wait while
// requests are still started under a time limit, and once after the last
// completion. `stop` (the stop request's flag, or null)
// is looked at after each wait. A failed or short request ends the run:
// every request in flight is waited for, then EInOutError is raised with the
// first failure's code (ENODATA for a short read, EIO for a short write).
TQueuedRun RunQueued(TIoQueue& queue, const TQueuedRequests& what, const TQueuedSource& source,
                     const TickSource& ticks, const std::atomic<int>* stop);

}  // namespace vt
