#include "benchmarks/sorting.h"

#include "benchmarks/list_test.h"
#include "benchmarks/person.h"

namespace vt {

void QuickSort(TStrings& keys, TStrings& items, std::string& pivot, std::int32_t L, std::int32_t R)
{
    std::int32_t i;
    do {
        i = L;
        std::int32_t j = R;
        const auto middle = (static_cast<std::uint32_t>(L) + static_cast<std::uint32_t>(R)) >> 1;
        pivot = keys.Strings(static_cast<std::int32_t>(middle));
        do {
            while (CompareKeys(pivot, keys.Strings(i)) > 0) ++i;
            while (CompareKeys(pivot, keys.Strings(j)) < 0) --j;
            if (i <= j) {
                keys.Exchange(i, j);
                items.Exchange(i, j);
                ++i;
                --j;
            }
        } while (i <= j);
        if (L < j) QuickSort(keys, items, pivot, L, j);
        L = i;
    } while (i < R);
}

void Sorting(const TStrings& source, const TSortLists& lists, const TickSource& ticks,
             TSortTimes& times, const std::function<void(double)>& sortTimeReady)
{
    const std::uint32_t t0 = ticks();
    if (source.Count() > 0) {
        TUpdateScope sortUpdate{&lists.SortKeyList, &lists.SortItemList};
        lists.SortKeyList.Clear();
        lists.SortItemList.Clear();
        for (int i = 0, n = source.Count(); i < n; ++i) {
            lists.SortKeyList.Add(source.Strings(i));
            TObject* record = lists.ListBox1.Objects(i);
            TPerson::From(record);
            lists.SortItemList.AddObject(lists.ListBox1.Strings(i), record);
        }

        const std::uint32_t t1 = ticks();
        for (int pass = 0; pass < kSortPasses; ++pass)
            QuickSort(lists.SortKeyList, lists.SortItemList, lists.SortPivot, 0,
                      lists.SortKeyList.Count() - 1);
        const std::uint32_t t2 = ticks();
        times.SortTime = static_cast<double>(static_cast<long double>(TickDiff(t2, t1)) * 0.0001L);
        if (sortTimeReady) sortTimeReady(times.SortTime);
        sortUpdate.End();

        TUpdateScope itemsUpdate{&lists.ListBox1};
        lists.ListBox1.Clear();
        for (int i = 0, n = lists.SortItemList.Count(); i < n; ++i)
            lists.ListBox1.AddObject(lists.SortItemList.Strings(i), lists.SortItemList.Objects(i));
        ListView(lists.ListBox1, lists.ListBox2, lists.ListBox3);
        itemsUpdate.End();
    }
    const std::uint32_t t3 = ticks();
    times.SortOutputTime = static_cast<double>(static_cast<long double>(TickDiff(t3, t0)) * 0.001L -
                                               static_cast<long double>(times.SortTime) * 9);
}

}  // namespace vt
