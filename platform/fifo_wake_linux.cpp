#include "platform/fifo_wake.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vt {

void WakeFifoReader(const std::string& path)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISFIFO(info.st_mode)) return;
    // Without a reader a non-blocking open for writing fails (ENXIO) rather
    // than waiting for one.
    const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) close(fd);
}

}  // namespace vt
