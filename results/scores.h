// The eight scores of one session: zero at start, each owned by one test and
// kept until that test runs again. Nothing restores them from the log.
#pragma once

namespace vt {

struct TScores {
    double ListCreateTime = 0;  // s per list-building repetition
    double SortTime = 0;        // s per quicksort pass
    double SortOutputTime = 0;  // s of the sorting test less nine sort passes
    double FillMemSpeed = 0;    // MiB/s of the fill passes
    double ReadMemSpeed = 0;    // MiB/s of the counting passes
    double CyclesPerSec = 0;    // millions of empty-loop iterations per second
    double DrawTime = 0;        // s to create, draw and destroy the ellipses
    double HddSpeed = 0;        // MiB/s of the uncached file read
};

}  // namespace vt
