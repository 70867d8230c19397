#include "benchmarks/list_sort_run.h"

namespace vt {

void RunSorting(const TStrings& source, const TSortLists& lists, const TickSource& ticks,
                TScores& scores, const std::function<void(double)>& sortTimeShown)
{
    TSortTimes times{scores.SortTime, scores.SortOutputTime};
    Sorting(source, lists, ticks, times, [&](double sortTime) {
        scores.SortTime = sortTime;
        if (sortTimeShown) sortTimeShown(sortTime);
    });
    scores.SortOutputTime = times.SortOutputTime;
}

void RunListTest(const TSortLists& lists, TPersonPool& pool, const TickSource& ticks,
                 TScores& scores, const TListTestShow& show)
{
    scores.ListCreateTime = BuildLists(lists.ListBox1, lists.ListBox2, lists.ListBox3, pool, ticks);
    if (show.ListCreateTime) show.ListCreateTime(scores.ListCreateTime);
    CallBetweenParts(show.Between);
    RunSorting(lists.ListBox2, lists, ticks, scores, show.SortTime);
    if (show.SortOutputTime) show.SortOutputTime(scores.SortOutputTime);
    // Outside every timed interval: the records of the earlier repetitions
    // (and of the previous run) are referenced by no list any more.
    pool.ReleaseUnreferenced({&lists.ListBox1, &lists.SortItemList});
}

}  // namespace vt
