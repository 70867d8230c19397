#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <atomic>
#include <cstdio>

#include "platform/terminal.h"

namespace vt {

namespace {
// Standard error's own descriptor while a TQuietStandardError lives.
std::atomic<int> realStandardError{2};
}  // namespace

bool StandardErrorIsTerminal()
{
    return _isatty(_fileno(stderr)) != 0;
}

int TerminalColumns()
{
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info)) return 0;
    return info.srWindow.Right - info.srWindow.Left + 1;
}

bool ReserveClosedStandardStreams()
{
    bool outputClosed = false;
    for (int fd = 0; fd <= 2; ++fd) {
        if (_get_osfhandle(fd) != -1) continue;
        const int reserved = _open("NUL", fd == 0 ? _O_RDONLY : _O_WRONLY);
        if (reserved >= 0 && reserved != fd) {
            _dup2(reserved, fd);
            _close(reserved);
        }
        if (fd == 1) outputClosed = true;
    }
    return outputClosed;
}

void ReportBrokenPipesAsErrors() {}

TQuietStandardError::TQuietStandardError()
{
    std::fflush(stderr);
    saved_ = _dup(2);
    const int null = _open("NUL", _O_WRONLY);
    if (saved_ < 0 || null < 0 || _dup2(null, 2) != 0) {
        if (null >= 0) _close(null);
        if (saved_ >= 0) _close(saved_);
        saved_ = -1;
        return;
    }
    _close(null);
    realStandardError = saved_;
}

TQuietStandardError::~TQuietStandardError()
{
    if (saved_ < 0) return;
    std::fflush(stderr);
    _dup2(saved_, 2);
    realStandardError = 2;
    _close(saved_);
}

void TQuietStandardError::WriteThrough(std::string_view text)
{
    _write(realStandardError, text.data(), static_cast<unsigned>(text.size()));
}

}  // namespace vt
