// The test file and its queue on Linux: O_DIRECT and an io_uring.
#include <fcntl.h>
#include <liburing.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "platform/direct_file.h"
#include "platform/errors.h"
#include "platform/queued_io.h"

namespace vt {

namespace {

class TUringQueue : public TIoQueue {
public:
    TUringQueue(int fd, int depth) : fd_(fd)
    {
        const int error = io_uring_queue_init(static_cast<unsigned>(depth), &ring_, 0);
        if (error < 0) throw EInOutError(-error);
    }

    // Requests still in flight are waited for: the kernel would otherwise go
    // on filling or reading buffers their owner is about to release.
    ~TUringQueue() override
    {
        std::vector<TIoCompletion> done;
        while (inFlight_ > 0) {
            try {
                Wait(done, 1000);
            } catch (const EInOutError&) {
                break;
            }
            done.clear();
        }
        io_uring_queue_exit(&ring_);
    }

    void Submit(TIoKind kind, std::int64_t offset, void* buffer, std::size_t bytes,
                std::uint64_t tag) override
    {
        io_uring_sqe* sqe = io_uring_get_sqe(&ring_);
        if (!sqe) {
            // The submission ring is full of requests not yet started.
            const int started = io_uring_submit(&ring_);
            if (started < 0) throw EInOutError(-started);
            sqe = io_uring_get_sqe(&ring_);
            if (!sqe) throw EInOutError(EBUSY);
        }
        if (kind == TIoKind::Read)
            io_uring_prep_read(sqe, fd_, buffer, static_cast<unsigned>(bytes),
                               static_cast<__u64>(offset));
        else
            io_uring_prep_write(sqe, fd_, buffer, static_cast<unsigned>(bytes),
                                static_cast<__u64>(offset));
        io_uring_sqe_set_data64(sqe, tag);
        ++inFlight_;
        // Started at once, on its own, not gathered for the next wait: a
        // batch handed to a drive in one call tends to come back as one,
        // and the queue then empties and refills in step instead of staying
        // full (a sixth fewer random reads at 32 in flight on a virtual
        // disk). A request the system cannot take now is started by Wait.
        const int started = io_uring_submit(&ring_);
        if (started < 0 && started != -EAGAIN && started != -EBUSY && started != -EINTR)
            throw EInOutError(-started);
    }

    void Wait(std::vector<TIoCompletion>& done, std::uint32_t timeoutMs) override
    {
        __kernel_timespec timeout{};
        timeout.tv_sec = timeoutMs / 1000;
        timeout.tv_nsec = static_cast<long long>(timeoutMs % 1000) * 1000000;
        io_uring_cqe* cqe = nullptr;
        const int result = io_uring_submit_and_wait_timeout(&ring_, &cqe, 1, &timeout, nullptr);
        // Out of time, or a signal (a stop request): the caller looks again.
        if (result < 0 && result != -ETIME && result != -EINTR && result != -EAGAIN &&
            result != -EBUSY)
            throw EInOutError(-result);
        unsigned head = 0, seen = 0;
        io_uring_for_each_cqe(&ring_, head, cqe)
        {
            done.push_back({io_uring_cqe_get_data64(cqe), cqe->res});
            ++seen;
        }
        io_uring_cq_advance(&ring_, seen);
        inFlight_ -= static_cast<int>(seen);
    }

private:
    io_uring ring_{};
    int fd_;
    int inFlight_ = 0;
};

}  // namespace

int TTestFile::Create(const std::string& path)
{
    Remove();
    // Exclusive creation: a name already taken, or a link planted under it,
    // fails instead of opening someone else's file.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return errno;
    // The cache is bypassed only once the file is ours: opening with O_DIRECT
    // where the file system refuses it may fail after the file was made.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_DIRECT) != 0) {
        const int code = errno;
        ::close(fd);
        ::unlink(path.c_str());
        return code;
    }
    fd_ = fd;
    path_ = path;
    return 0;
}

bool TTestFile::IsOpen() const
{
    return fd_ >= 0;
}

int TTestFile::Resize(std::int64_t bytes)
{
    // Allocated, not sparse: the measured writes then overwrite blocks the
    // file system has already given out. A file system that cannot allocate
    // ahead gets a plain size (the C library's emulation would write single
    // bytes, which an uncached file refuses).
    if (::fallocate(fd_, 0, 0, static_cast<off_t>(bytes)) == 0) return 0;
    if (errno != EOPNOTSUPP) return errno;
    return ::ftruncate(fd_, static_cast<off_t>(bytes)) == 0 ? 0 : errno;
}

std::size_t TTestFile::BufferAlignment() const
{
    return DirectAlignment(path_).Buffer;
}

std::size_t TTestFile::OffsetAlignment() const
{
    return DirectAlignment(path_).Offset;
}

std::unique_ptr<TIoQueue> TTestFile::OpenQueue(int depth)
{
    return std::make_unique<TUringQueue>(fd_, depth);
}

int TTestFile::Remove()
{
    if (fd_ < 0) return 0;
    ::close(fd_);
    fd_ = -1;
    const int result = ::unlink(path_.c_str()) == 0 ? 0 : errno;
    path_.clear();
    return result;
}

}  // namespace vt
