// Test 1 as a whole, "1. Create and Sort Lists": the list building into the
// three lists, then the sorting test on the names, storing ListCreateTime,
// SortTime and SortOutputTime, and at the end the release of the records no
// list refers to any more (outside every timed interval). The window runs it
// over its list boxes, the batch run over list boxes of its own.
#pragma once

#include <functional>

#include "benchmarks/between_parts.h"
#include "benchmarks/list_test.h"
#include "benchmarks/sorting.h"
#include "results/scores.h"

namespace vt {

// What the caller shows as the figures come. Each is told its figure after it
// is stored in the scores.
struct TListTestShow {
    std::function<void(double)> ListCreateTime;  // after the building, no tick open
    // Inside the sorting test's whole interval, before the write-back: for a
    // figure box only, nothing slow.
    std::function<void(double)> SortTime;
    std::function<void(double)> SortOutputTime;  // after the sorting, no tick open
    TBetweenParts Between;                       // between the building and the sorting
};

// The sorting test over the keys in `source`, storing SortTime (told to
// `sortTimeShown` at once) and SortOutputTime in `scores`. With an empty
// source SortTime keeps its value.
void RunSorting(const TStrings& source, const TSortLists& lists, const TickSource& ticks,
                TScores& scores, const std::function<void(double)>& sortTimeShown = {});

// The whole test; the sorting runs on lists.ListBox2.
void RunListTest(const TSortLists& lists, TPersonPool& pool, const TickSource& ticks,
                 TScores& scores, const TListTestShow& show = {});

}  // namespace vt
