// The scores of one session: zero at start, each owned by one test and kept
// until that test runs again. Nothing restores them from the log.
//
// The first eight are the result line's, in its order; the rest are the
// figures of tests 6 (every core) and 7 (the disk profile), which reach the
// records, CSV, JSON and Compare but never the 82-column line.
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

    // Test 6: every allowed logical CPU, one thread per physical core.
    double CyclesPerSecAll = 0;    // sum of the threads' M iterations/s, every allowed CPU
    double CyclesPerSecCores = 0;  // the same, one thread per physical core
    double FillMemSpeedAll = 0;    // MiB/s of the fill passes, one thread per core
    double ReadMemSpeedAll = 0;    // MiB/s of the counting passes, one thread per core

    // Test 7: MiB/s on the test file, cache bypassed.
    double DiskSeq1MQ8Read = 0;
    double DiskSeq1MQ1Read = 0;
    double DiskRnd4KQ32Read = 0;
    double DiskRnd4KQ1Read = 0;
    double DiskSeq1MQ8Write = 0;
    double DiskSeq1MQ1Write = 0;
    double DiskRnd4KQ32Write = 0;
    double DiskRnd4KQ1Write = 0;
};

}  // namespace vt
