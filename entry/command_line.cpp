#include "entry/command_line.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "batch/batch.h"
#include "compare/compare.h"

namespace vt {

namespace {

constexpr const char* kUsage =
    "Usage: vesktest                 open the window\n"
    "       vesktest batch [options]  run the tests without the window (--help for options)\n"
    "       vesktest compare [LOG...] compare results logs (--help for options)\n"
    "       vesktest --help | --version\n";

// Writes `text` to standard output; 1 with the reason on standard error when
// it cannot be written (a full disk, a closed descriptor), else 0.
int Print(const std::string& text)
{
    errno = 0;
    if (std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0) return 0;
    const int code = errno != 0 ? errno : EIO;
    std::fprintf(stderr, "vesktest: cannot write standard output: %s\n", std::strerror(code));
    return 1;
}

}  // namespace

int RunCommandLine(int argc, char** argv)
{
    const char* word = argv[1];
    if (std::strcmp(word, "batch") == 0) return RunBatch(argc, argv);
    if (std::strcmp(word, "compare") == 0) return RunCompare(argc, argv);
    if (std::strcmp(word, "--help") == 0 || std::strcmp(word, "-h") == 0) return Print(kUsage);
    if (std::strcmp(word, "--version") == 0 || std::strcmp(word, "-v") == 0)
        return Print(std::string("vesktest ") + VESKTEST_VERSION + "\n");
    std::fprintf(stderr, "vesktest: unknown command '%s'\n%s", word, kUsage);
    return 2;
}

}  // namespace vt
