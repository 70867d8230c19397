#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

#include "platform/terminal.h"

namespace vt {

namespace {
// Standard error's own descriptor while a TQuietStandardError lives.
std::atomic<int> realStandardError{STDERR_FILENO};
}  // namespace

bool StandardErrorIsTerminal()
{
    return isatty(STDERR_FILENO) == 1;
}

int TerminalColumns()
{
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0) return 0;
    return size.ws_col;
}

bool ReserveClosedStandardStreams()
{
    bool outputClosed = false;
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // The lowest free number is this one.
        const int reserved = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (reserved != fd && reserved >= 0) close(reserved);
        if (fd == STDOUT_FILENO) outputClosed = true;
    }
    return outputClosed;
}

void ReportBrokenPipesAsErrors()
{
    signal(SIGPIPE, SIG_IGN);
}

TQuietStandardError::TQuietStandardError()
{
    std::fflush(stderr);
    saved_ = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved_ < 0 || null < 0 || dup2(null, STDERR_FILENO) < 0) {
        // Without them standard error stays where it is: loud, not lost.
        if (null >= 0) close(null);
        if (saved_ >= 0) close(saved_);
        saved_ = -1;
        return;
    }
    close(null);
    realStandardError = saved_;
}

TQuietStandardError::~TQuietStandardError()
{
    if (saved_ < 0) return;
    std::fflush(stderr);
    dup2(saved_, STDERR_FILENO);
    realStandardError = STDERR_FILENO;
    close(saved_);
}

void TQuietStandardError::WriteThrough(std::string_view text)
{
    const int fd = realStandardError;
    while (!text.empty()) {
        const ssize_t n = write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        text.remove_prefix(static_cast<std::size_t>(n));
    }
}

}  // namespace vt
