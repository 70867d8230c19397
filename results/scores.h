// The eight scores of one session: zero at start, each owned by one test and
// kept until that test runs again. Nothing restores them from the log.
#pragma once

#include <array>

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

inline constexpr int kScoreCount = 8;

// The scores' names in the order of the result line.
inline constexpr std::array<const char*, kScoreCount> kScoreNames = {
    "ListCreateTime", "SortTime",     "SortOutputTime", "FillMemSpeed",
    "ReadMemSpeed",   "CyclesPerSec", "DrawTime",       "HddSpeed",
};

// The scores in the same order.
inline constexpr std::array<double TScores::*, kScoreCount> kScoreMembers = {
    &TScores::ListCreateTime, &TScores::SortTime,     &TScores::SortOutputTime,
    &TScores::FillMemSpeed,   &TScores::ReadMemSpeed, &TScores::CyclesPerSec,
    &TScores::DrawTime,       &TScores::HddSpeed,
};

}  // namespace vt
