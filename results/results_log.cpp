#include "results/results_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

#include "platform/cp1251.h"
#include "platform/errors.h"

namespace vt {

const std::array<std::string, 5>& ResultsLogHeader()
{
    static const std::array<std::string, 5> header = {
        std::string(82, '-'),
        Ansi("                               |      |      |созд.+| FillMem |  млн |      | HDD "),
        Ansi("            Описание           |созд. |сорти-|сорт.+|   &     |циклов|10000 |Speed"),
        Ansi("                               |списк.|ровка |вывод | ReadMem | в сек|эллипс|мб/с "),
        Ansi("-------------------------------|------|------|------|---------|------|------|-----"),
    };
    return header;
}

namespace results_log {

namespace {

[[noreturn]] void RaiseLastError()
{
    throw EInOutError(errno);
}

// A file descriptor that is closed on every path; Close() reports the outcome
// of the close itself, which is where a deferred write error may surface.
class FileHandle {
public:
    explicit FileHandle(int fd) : fd_(fd) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    void Close()
    {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) RaiseLastError();
    }

private:
    int fd_;
};

// Writes all of `bytes`, resuming after a partial write; a write that fails
// raises, leaving the bytes already written in the file.
void WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            RaiseLastError();
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

// One line with its CR LF, in one write, so that a failure leaves whole lines
// before it.
void WriteLine(int fd, std::string_view line)
{
    std::string bytes(line);
    bytes += "\r\n";
    WriteAll(fd, bytes);
}

// Opens the log for appending, or creates it; `created` tells which.
int OpenOrCreate(const std::string& path, bool& created)
{
    for (;;) {
        int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
        if (fd >= 0) {
            created = false;
            return fd;
        }
        if (errno == EINTR) continue;
        if (errno != ENOENT) RaiseLastError();
        // Exclusive creation: a log that appeared meanwhile is appended to,
        // never truncated.
        fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            created = true;
            return fd;
        }
        if (errno != EEXIST && errno != EINTR) RaiseLastError();
    }
}

}  // namespace

void Append(const std::string& path, std::string_view line)
{
    bool created = false;
    FileHandle file(OpenOrCreate(path, created));
    if (created)
        for (const std::string& h : ResultsLogHeader()) WriteLine(file.get(), h);
    WriteLine(file.get(), line);
    // Each line went to the system with its own write; nothing is left in a
    // buffer of ours, so closing is the flush.
    file.Close();
}

std::optional<std::vector<std::string>> Load(const std::string& path)
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
    FileHandle file(fd);

    std::string content;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(file.get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            RaiseLastError();  // a directory fails here with EISDIR
        }
        if (n == 0) break;
        content.append(buf, static_cast<std::size_t>(n));
    }
    file.Close();

    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(content.substr(start));
            break;
        }
        std::size_t stop = end;
        if (stop > start && content[stop - 1] == '\r') --stop;
        lines.push_back(content.substr(start, stop - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace results_log

}  // namespace vt
