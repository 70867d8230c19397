#include "batch/batch.h"

#include <cstdio>

namespace vt {

int RunBatch(int, char**)
{
    std::fputs("vesktest batch: not available yet\n", stderr);
    return 2;
}

}  // namespace vt
