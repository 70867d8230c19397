#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <climits>

#include "platform/errors.h"
#include "platform/log_file.h"

namespace vt {

namespace {

[[noreturn]] void RaiseLastError(const std::string& path = {})
{
    throw EInOutError(errno, path);
}

// Tries of TAppendFile's open, and so links followed at most: the limit
// the system itself puts on a chain of links.
constexpr int kMaxOpenTries = 40;

// Where the symbolic link `path` points, a relative target taken from the
// link's folder; nothing when `path` is not a link.
std::optional<std::string> LinkTarget(const std::string& path)
{
    std::string target(PATH_MAX, '\0');
    const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) return std::nullopt;
    target.resize(static_cast<std::size_t>(n));
    const std::size_t slash = path.rfind('/');
    if (target.front() == '/' || slash == std::string::npos) return target;
    return path.substr(0, slash + 1) + target;
}

// A descriptor closed on every path.
class TDescriptor {
public:
    explicit TDescriptor(int fd) : fd_(fd) {}
    TDescriptor(const TDescriptor&) = delete;
    TDescriptor& operator=(const TDescriptor&) = delete;
    ~TDescriptor()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    int Get() const { return fd_; }
    void Close()
    {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) RaiseLastError();
    }

private:
    int fd_;
};

}  // namespace

TAppendFile::TAppendFile(const std::string& path)
{
    // Exclusive creation fails where a name is taken by a link whose target
    // is missing, and the open for appending fails there too: the link is
    // followed by hand and its target tried instead. A file made by someone
    // else between the two opens is found by the next try.
    std::string name = path;
    for (int tries = 0; tries < kMaxOpenTries; ++tries) {
        fd_ = ::open(name.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
        if (fd_ >= 0) return;
        if (errno == EINTR) continue;
        if (errno != ENOENT) RaiseLastError(name);
        fd_ = ::open(name.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            created_ = true;
            return;
        }
        if (errno == EINTR) continue;
        if (errno != EEXIST) RaiseLastError(name);
        if (std::optional<std::string> target = LinkTarget(name)) name = std::move(*target);
    }
    throw EInOutError(ELOOP, name);
}

TAppendFile::~TAppendFile()
{
    if (fd_ >= 0) ::close(fd_);
}

std::optional<std::int64_t> TAppendFile::RegularFileSize() const
{
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<std::int64_t>(st.st_size);
}

std::optional<char> TAppendFile::ByteAt(const std::string& path, std::int64_t offset) const
{
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return std::nullopt;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    TDescriptor reader(fd);
    struct stat rst {};
    char byte = 0;
    if (::fstat(fd, &rst) != 0 || rst.st_dev != st.st_dev || rst.st_ino != st.st_ino ||
        ::pread(fd, &byte, 1, offset) != 1)
        return std::nullopt;
    return byte;
}

void TAppendFile::Write(std::string_view bytes)
{
    std::int64_t written = 0;
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            const int code = errno;
            TakeBack(written);
            throw EInOutError(code);
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
        written += n;
    }
}

void TAppendFile::TakeBack(std::int64_t written) noexcept
{
    if (written <= 0) return;
    // Appending leaves the offset at the end of this object's bytes; they are
    // still the file's end when its size is that offset.
    struct stat st {};
    const off_t end = ::lseek(fd_, 0, SEEK_CUR);
    if (end < written || ::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size != end)
        return;
    while (::ftruncate(fd_, end - written) != 0 && errno == EINTR) {
    }
}

void TAppendFile::Close()
{
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) RaiseLastError();
}

TAppendCheck CheckAppend(const std::string& path)
{
    TAppendCheck check;
    check.Path = path;
    for (int tries = 0; tries < kMaxOpenTries; ++tries) {
        struct stat st {};
        if (::stat(check.Path.c_str(), &st) == 0) {
            check.Exists = true;
            if (S_ISDIR(st.st_mode))
                check.Error = EISDIR;
            else if (!S_ISREG(st.st_mode))
                check.Error = kNotARegularFile;
            else if (const int fd = ::open(check.Path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC |
                                                                   O_NOCTTY | O_NONBLOCK);
                     fd < 0)
                check.Error = errno;
            else
                ::close(fd);
            return check;
        }
        if (errno != ENOENT) {
            check.Error = errno;
            return check;
        }
        // A link whose target is missing: its target is what gets created.
        if (std::optional<std::string> target = LinkTarget(check.Path)) {
            check.Path = std::move(*target);
            continue;
        }
        const std::size_t slash = check.Path.rfind('/');
        const std::string folder = slash == std::string::npos ? "."
                                   : slash == 0               ? "/"
                                                              : check.Path.substr(0, slash);
        check.Error = ::access(folder.c_str(), W_OK | X_OK) == 0 ? 0 : errno;
        return check;
    }
    check.Error = ELOOP;
    return check;
}

std::optional<std::string> ReadFileStart(const std::string& path, std::size_t limit)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
        RaiseLastError();
    }
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) RaiseLastError();
    TDescriptor file(fd);

    std::string content;
    char buf[65536];
    while (content.size() < limit) {
        const ssize_t n = ::read(file.Get(), buf, std::min(sizeof buf, limit - content.size()));
        if (n < 0) {
            if (errno == EINTR) continue;
            RaiseLastError();  // a directory fails here with EISDIR
        }
        if (n == 0) break;
        content.append(buf, static_cast<std::size_t>(n));
    }
    file.Close();
    return content;
}

std::optional<std::string> ReadFileBytes(const std::string& path)
{
    return ReadFileStart(path, std::string().max_size());
}

}  // namespace vt
