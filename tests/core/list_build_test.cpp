#include <gtest/gtest.h>

#include <string>

#include "benchmarks/list_test.h"
#include "benchmarks/sorting.h"
#include "platform/cp1251.h"
#include "platform/random.h"

namespace vt {
namespace {

struct Lists {
    TStringList items, names, addresses, keys, sorted;
    std::string pivot;
    TPersonPool pool;
    TSortLists Sort() { return {items, names, addresses, keys, sorted, pivot}; }
};

TEST(BuildLists, LastRepetitionsDrawsFillTheThreeListsInStep)
{
    Lists l;
    int reseeds = 0;
    TListBuild build{3, 400, 399, [&] { RandSeed = 1234u + reseeds++; }};
    BuildLists(l.items, l.names, l.addresses, l.pool, SystemTicks(), build);
    EXPECT_EQ(reseeds, 3);
    EXPECT_EQ(l.pool.Count(), 3u * 400u);
    ASSERT_EQ(l.items.Count(), 400);
    ASSERT_EQ(l.names.Count(), 400);
    ASSERT_EQ(l.addresses.Count(), 400);

    RandSeed = 1234u + 2u;
    for (int i = 0; i < l.items.Count(); ++i) {
        const std::uint32_t k = Random(399);
        ASSERT_EQ(l.items.Strings(i), "Text " + std::to_string(k)) << i;
        ASSERT_EQ(l.names.Strings(i), Ansi("Имя:   ") + std::to_string(2 * k)) << i;
        ASSERT_EQ(l.addresses.Strings(i), Ansi("адрес: ") + std::to_string(3 * k)) << i;
        ASSERT_EQ(TPerson::From(l.items.Objects(i)).GetAddress().Str(), l.addresses.Strings(i));
    }
    for (auto* list : {&l.items, &l.names, &l.addresses}) EXPECT_EQ(list->UpdateCount(), 0);
}

TEST(ListView, RefusesAnEntryWithoutARecordAndLeavesNoListSuspended)
{
    Lists l;
    l.items.AddObject("Text 1", CreatePerson(l.pool, 1));
    l.items.Add("Text 2");
    EXPECT_THROW(ListView(l.items, l.names, l.addresses), EInvalidCast);
    EXPECT_EQ(l.names.UpdateCount(), 0);
    EXPECT_EQ(l.addresses.UpdateCount(), 0);
}

TEST(PersonPool, ReleasesOnlyRecordsNoListRefersTo)
{
    const auto before = TPerson::LiveCount();
    TPersonPool pool;
    TStringList a, b;
    for (std::uint32_t n = 0; n < 10; ++n) CreatePerson(pool, n);
    TPerson* kept = CreatePerson(pool, 10);
    a.AddObject("Text 10", kept);
    a.AddObject("Text 10", kept);
    b.AddObject("Text 11", CreatePerson(pool, 11));
    b.Add("no record");
    pool.ReleaseUnreferenced({&a, &b});
    EXPECT_EQ(TPerson::LiveCount(), before + 2);
    EXPECT_EQ(TPerson::From(a.Objects(1)).GetName().Str(), Ansi("Имя:   20"));
}

// However often the whole test runs, the records alive afterwards are those
// of the last repetition: memory stays flat. (The window's test checks the
// full-size count.)
TEST(PersonPool, LiveRecordsStayAtOneListAfterTwentyRuns)
{
    const auto before = TPerson::LiveCount();
    Lists l;
    const TListBuild build{kListRepetitions, 3200, 3199, {}};
    for (int run = 0; run < 20; ++run) {
        BuildLists(l.items, l.names, l.addresses, l.pool, SystemTicks(), build);
        TSortTimes times;
        Sorting(l.names, l.Sort(), SystemTicks(), times);
        l.pool.ReleaseUnreferenced({&l.items, &l.sorted});
        ASSERT_EQ(TPerson::LiveCount() - before, build.Records) << run;
    }
}

}  // namespace
}  // namespace vt
