#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            RaiseLastError();
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

void TAppendFile::Close()
{
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) RaiseLastError();
}

std::optional<std::string> ReadFileBytes(const std::string& path)
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
    for (;;) {
        const ssize_t n = ::read(file.Get(), buf, sizeof buf);
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

}  // namespace vt
