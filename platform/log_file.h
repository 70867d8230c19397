// The file primitives of the results log: one log opened for appending or
// created, whole writes, a look at its last byte, and reading a whole file.
//
// Failures raise EInOutError with an errno code (ENOENT, EACCES, ENOSPC,
// EISDIR, ...). On Linux that is the errno of the failed call; on Windows the
// system's error code is translated to the nearest errno code, so that
// messages and callers see the same numbers on both.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vt {

// A log file open for writing at its end only, closed with its owner.
class TAppendFile {
public:
    // Opens `path` (file-system bytes) for appending. A missing file is
    // created with exclusive creation, so that a log that appears meanwhile
    // is appended to and never truncated. A symbolic link whose target does
    // not exist yet is followed and its target created, when the target's
    // folder exists. Raises EInOutError naming the file it failed on (the
    // link's target when it followed one); gives up with ELOOP after as many
    // tries as the system follows links, so that it never spins.
    explicit TAppendFile(const std::string& path);
    ~TAppendFile();
    TAppendFile(const TAppendFile&) = delete;
    TAppendFile& operator=(const TAppendFile&) = delete;

    // Whether this open created the file.
    bool Created() const { return created_; }

    // The size in bytes when the file is a regular file whose size can be
    // read; nothing otherwise (a device, a pipe, a failed query).
    std::optional<std::int64_t> RegularFileSize() const;

    // The byte at `offset` of the file at `path`, read through a handle of
    // its own (this one writes only), and only when that name still leads
    // to the file this object has open. Nothing when it cannot be read.
    std::optional<char> ByteAt(const std::string& path, std::int64_t offset) const;

    // Writes all of `bytes` at the end of the file, resuming after a partial
    // write. A failed write (a full disk, a file-size limit) takes back what
    // this call wrote, cutting the file back to its length before it, and
    // raises: the file is as it was, never left with part of a line. Only
    // where another writer appended after this call's bytes are they left,
    // since cutting them would cut that writer's line too.
    void Write(std::string_view bytes);

    // Closes the file and reports the outcome of the close itself, where a
    // deferred write error may surface. Raises EInOutError.
    void Close();

private:
    // Cuts the file back by the `written` bytes this object's last write
    // left at its end, when they are still at its end.
    void TakeBack(std::int64_t written) noexcept;

#if defined(_WIN32)
    void* handle_ = nullptr;  // a HANDLE; nullptr when closed
    std::string path_;        // the file opened, for the handle that cuts it back
#else
    int fd_ = -1;
#endif
    bool created_ = false;
};

// What appending to `path` would meet now, found without creating, writing
// or changing anything (an existing file is opened for writing and closed).
struct TAppendCheck {
    // 0 when appending would work: an existing regular file that opens for
    // writing, or a missing one whose folder lets the process create it.
    // Else the system's code: EISDIR for a folder, ENAMETOOLONG, EACCES,
    // EROFS, ENOENT for a missing folder, ...; or kNotARegularFile.
    int Error = 0;
    // The file looked at: `path`, or where its symbolic link leads.
    std::string Path;
    bool Exists = false;
};
inline constexpr int kNotARegularFile = -1;  // a device, a pipe, a socket
TAppendCheck CheckAppend(const std::string& path);

// The first `limit` bytes of the file at `path` (all of a shorter one), with
// the failures of ReadFileBytes.
std::optional<std::string> ReadFileStart(const std::string& path, std::size_t limit);

// The whole content of the file at `path`, or nothing when there is no such
// file (or a component of the path is not a directory). Any other failure,
// a directory included, raises EInOutError.
std::optional<std::string> ReadFileBytes(const std::string& path);

}  // namespace vt
