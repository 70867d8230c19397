// A figure measured in a forked process of its own, so that each run starts
// as a fresh program does (its own memory, its own queue, no warm state of
// the bench): the child measures, writes the number or its error through a
// pipe and ends without running a destructor (what it shares with the
// parent, an open file say, stays the parent's).
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "platform/errors.h"

namespace vt::bench {

// `measure()` in a forked child; its figure, or an exception that begins
// with `failure` and carries the child's message.
template <class Measure>
double InNewProcess(Measure measure, const std::string& failure)
{
    int fds[2];
    if (::pipe(fds) != 0) throw Exception("pipe failed");
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        char text[256];
        int code = 0;
        try {
            std::snprintf(text, sizeof text, "%.17g", static_cast<double>(measure()));
        } catch (const std::exception& e) {
            std::snprintf(text, sizeof text, "%s", e.what());
            code = 1;
        }
        const ssize_t written = ::write(fds[1], text, std::strlen(text));
        ::_exit(written > 0 ? code : 2);
    }
    ::close(fds[1]);
    std::string output;
    char chunk[256];
    for (ssize_t got; (got = ::read(fds[0], chunk, sizeof chunk)) > 0;) output.append(chunk, got);
    ::close(fds[0]);
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        throw Exception(failure + ": " + output);
    return std::stod(output);
}

}  // namespace vt::bench
