// Uncached sequential reading of one file, for the file read-speed test.
//
// TDirectFile opens a file read-only with O_DIRECT, so that every read goes
// to the device and none is served from the page cache, and gives the kernel
// the sequential-scan hint. Direct reads demand that the buffer's address,
// the request size and the file offset be multiples of the file system's
// alignment; TAlignedBuffer provides a buffer aligned as the file asks, and
// the test's 65,536-byte requests keep every offset a multiple of it.
//
// The file is never written. Linux has no exclusive-open share mode, so
// another program may still open the file while it is read.
//
// On Windows the file is opened with CreateFileA and FILE_FLAG_NO_BUFFERING |
// FILE_FLAG_SEQUENTIAL_SCAN, sharing reading only; the buffer is aligned to
// the volume's sector size, never less than the page size. Error codes are
// the errno codes nearest to the system's (ENOENT, EACCES, EINVAL, ...).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace vt {

class TDirectFile {
public:
    TDirectFile() = default;
    ~TDirectFile() { Close(); }
    TDirectFile(const TDirectFile&) = delete;
    TDirectFile& operator=(const TDirectFile&) = delete;

    // Opens `name` (file-system bytes) for uncached reading. Returns 0, or
    // the errno of the failed open (22 where the file system refuses direct
    // reads).
    int Open(const std::string& name);
    bool IsOpen() const;
    void Close();

    // The file's whole size in bytes (64-bit). Raises EInOutError when the
    // size cannot be read.
    std::int64_t Size() const;

    // The alignment in bytes for the buffer of direct reads of this file:
    // what the file system demands where the kernel says so, but never less
    // than the page size.
    std::size_t BufferAlignment() const;

    // One read of `count` bytes at the current position. Returns the bytes
    // delivered (0 at the end of the file), or -1 with errno set.
    std::int64_t Read(void* buffer, std::size_t count);

    // Called before every read when set; empty in the program. Lets tests
    // shorten, remove or replace the file in the middle of a read.
    std::function<void()> BeforeRead;

private:
#if defined(_WIN32)
    void* handle_ = nullptr;      // a HANDLE; nullptr when closed
    std::size_t sectorSize_ = 0;  // of the file's volume; 0 when unknown
#else
    int fd_ = -1;
#endif
};

// A block of memory with a chosen alignment, released with its owner.
class TAlignedBuffer {
public:
    TAlignedBuffer() = default;
    ~TAlignedBuffer() { Release(); }
    TAlignedBuffer(const TAlignedBuffer&) = delete;
    TAlignedBuffer& operator=(const TAlignedBuffer&) = delete;

    // Obtains `size` bytes aligned to `alignment` (a power of two); false
    // when the memory cannot be had.
    bool Allocate(std::size_t size, std::size_t alignment);
    void Release();

    void* Data() const { return data_; }
    std::size_t Size() const { return size_; }

    // Blocks obtained and not yet released, process-wide; lets tests see
    // that every path gives its buffer back.
    static int LiveCount();

private:
    void* data_ = nullptr;
    std::size_t size_ = 0;
};

// The size of the directory entry `name` (file-system bytes), 64-bit; a
// directory counts as 0, and so does a name with no entry.
std::int64_t DirectoryEntrySize(const std::string& name);

// True only when `name` is an existing regular file (not a directory).
bool FileExists(const std::string& name);

// The alignment uncached requests on the file `name` need: for the buffer,
// what the file system demands where the system says so but never less
// than the page size (as TDirectFile::BufferAlignment); for offsets and
// sizes, the file system's block for direct requests, 512 where the system
// does not say.
struct TDirectAlignment {
    std::size_t Buffer = 4096;
    std::size_t Offset = 512;
};
TDirectAlignment DirectAlignment(const std::string& name);

}  // namespace vt
