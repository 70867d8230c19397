#include "entry/command_line.h"

#include <cstdio>
#include <cstring>

#include "batch/batch.h"
#include "compare/compare.h"

namespace vt {

namespace {

constexpr const char* kUsage =
    "Usage: vesktest                 open the window\n"
    "       vesktest batch [options]  run the tests without the window (--help for options)\n"
    "       vesktest compare [LOG...] compare results logs (--help for options)\n"
    "       vesktest --help | --version\n";

}  // namespace

int RunCommandLine(int argc, char** argv)
{
    const char* word = argv[1];
    if (std::strcmp(word, "batch") == 0) return RunBatch(argc, argv);
    if (std::strcmp(word, "compare") == 0) return RunCompare(argc, argv);
    if (std::strcmp(word, "--help") == 0 || std::strcmp(word, "-h") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (std::strcmp(word, "--version") == 0 || std::strcmp(word, "-v") == 0) {
        std::printf("vesktest %s\n", VESKTEST_VERSION);
        return 0;
    }
    std::fprintf(stderr, "vesktest: unknown command '%s'\n%s", word, kUsage);
    return 2;
}

}  // namespace vt
