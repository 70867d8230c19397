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

// `line` with its CR LF after `lead` (the header, or the end of a cut line),
// in one write, so that a failure or a kill leaves whole lines before it and
// a new log never holds only part of its header.
void WriteLines(int fd, std::string_view lead, std::string_view line)
{
    std::string bytes(lead);
    bytes += line;
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

// Whether the log at `path`, the regular file `st` describes, ends inside a
// line: its last byte is not a line feed. Read through a descriptor of its
// own, as the log is opened for writing only; when the file cannot be read
// the answer is no.
bool EndsInsideALine(const std::string& path, const struct stat& st)
{
    if (!S_ISREG(st.st_mode) || st.st_size == 0) return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    FileHandle reader(fd);
    struct stat rst {};
    char last = '\n';
    if (::fstat(fd, &rst) == 0 && rst.st_dev == st.st_dev && rst.st_ino == st.st_ino &&
        ::pread(fd, &last, 1, st.st_size - 1) != 1)
        last = '\n';
    return last != '\n';
}

}  // namespace

void Append(const std::string& path, std::string_view line)
{
    bool created = false;
    FileHandle file(OpenOrCreate(path, created));
    // An empty log, one whose creation was cut short before anything was
    // written, gets the header as a new one does.
    struct stat st {};
    const bool known = ::fstat(file.get(), &st) == 0;
    if (!created && known && S_ISREG(st.st_mode) && st.st_size == 0) created = true;
    std::string lead;
    if (created) {
        for (const std::string& h : ResultsLogHeader()) lead += h + "\r\n";
    } else if (known && EndsInsideALine(path, st)) {
        // The last line was cut short (a Save killed in its write, a file
        // edited by hand): it is ended first, so that the new line stays whole.
        lead = "\r\n";
    }
    WriteLines(file.get(), lead, line);
    // The lines went to the system in one write; nothing is left in a buffer
    // of ours, so closing is the flush.
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

    return SplitLines(content);
}

std::vector<std::string> SplitLines(std::string_view content)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(std::string(content.substr(start)));
            break;
        }
        std::size_t stop = end;
        if (stop > start && content[stop - 1] == '\r') --stop;
        lines.push_back(std::string(content.substr(start, stop - start)));
        start = end + 1;
    }
    return lines;
}

}  // namespace results_log

}  // namespace vt
