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
    // write; a failed write raises, leaving the bytes already written.
    void Write(std::string_view bytes);

    // Closes the file and reports the outcome of the close itself, where a
    // deferred write error may surface. Raises EInOutError.
    void Close();

private:
#if defined(_WIN32)
    void* handle_ = nullptr;  // a HANDLE; nullptr when closed
#else
    int fd_ = -1;
#endif
    bool created_ = false;
};

// The whole content of the file at `path`, or nothing when there is no such
// file (or a component of the path is not a directory). Any other failure,
// a directory included, raises EInOutError.
std::optional<std::string> ReadFileBytes(const std::string& path);

}  // namespace vt
