// The sorting test: the names of the list test copied into a list of keys,
// the entries with their records into a list of items, both sorted ten times
// with a quicksort that exchanges the same two positions in both lists, then
// written back to the three lists in sorted order.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "benchmarks/strings.h"
#include "platform/tick_count.h"

namespace vt {

inline constexpr int kSortPasses = 10;

// Key order: byte by byte as unsigned 8-bit values, a prefix before the
// longer key; no case folding, no collation.
inline int CompareKeys(std::string_view a, std::string_view b)
{
    return a.compare(b);  // char_traits<char> compares as unsigned char
}

// Sorts entries L..R of `keys` and reorders the same positions of `items`.
// The pivot is the key at (L + R) >> 1 with the sum taken as unsigned 32-bit,
// kept in `pivot`; the scans carry no bound of their own (the pivot stops
// them); the left part is sorted by recursion, the right part by iteration.
void QuickSort(TStrings& keys, TStrings& items, std::string& pivot, std::int32_t L, std::int32_t R);

// The lists the sorting test reads and writes.
struct TSortLists {
    TStrings& ListBox1;  // entries with their records: the items
    TStrings& ListBox2;  // names
    TStrings& ListBox3;  // addresses
    TStrings& SortKeyList;
    TStrings& SortItemList;
    std::string& SortPivot;
};

struct TSortTimes {
    double SortTime = 0;        // s per sort pass: (T2 - T1) ms x 0.0001
    double SortOutputTime = 0;  // (T3 - T0) ms x 0.001 - 9 x SortTime
};

// The sorting test over the keys in `source` (entry i the key of entry i of
// ListBox1), storing its figures in `times`. `sortTimeReady` is told
// SortTime as soon as the passes are done, before the write-back. With an
// empty `source` nothing is copied, sorted or written back: SortTime keeps
// its value and SortOutputTime is the elapsed time less nine of it.
void Sorting(const TStrings& source, const TSortLists& lists, const TickSource& ticks,
             TSortTimes& times, const std::function<void(double)>& sortTimeReady = {});

}  // namespace vt
