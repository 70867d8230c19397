#include <gtest/gtest.h>

#include <deque>
#include <set>
#include <string>

#include "benchmarks/list_test.h"
#include "benchmarks/sorting.h"
#include "platform/cp1251.h"
#include "platform/random.h"

namespace vt {
namespace {

TickSource Script(std::deque<std::uint32_t> values)
{
    auto shared = std::make_shared<std::deque<std::uint32_t>>(std::move(values));
    return [shared] {
        const std::uint32_t v = shared->front();
        if (shared->size() > 1) shared->pop_front();
        return v;
    };
}

std::uint32_t NumberAfter(const std::string& text, const std::string& prefix)
{
    EXPECT_EQ(text.compare(0, prefix.size(), prefix), 0) << text;
    return static_cast<std::uint32_t>(std::stoul(text.substr(prefix.size())));
}

// Entry i of the three lists belongs to one record: "Text k", the record's
// name "Имя:   " 2k and its address "адрес: " 3k.
void ExpectInStep(const TStrings& items, const TStrings& names, const TStrings& addresses)
{
    ASSERT_EQ(names.Count(), items.Count());
    ASSERT_EQ(addresses.Count(), items.Count());
    for (int i = 0; i < items.Count(); ++i) {
        const std::uint32_t k = NumberAfter(items.Strings(i), "Text ");
        const TPerson& p = TPerson::From(items.Objects(i));
        ASSERT_EQ(names.Strings(i), Ansi("Имя:   ") + std::to_string(2 * k)) << i;
        ASSERT_EQ(addresses.Strings(i), Ansi("адрес: ") + std::to_string(3 * k)) << i;
        ASSERT_EQ(p.GetName().Str(), names.Strings(i));
        ASSERT_EQ(p.GetAddress().Str(), addresses.Strings(i));
    }
}

struct Lists {
    TStringList items, names, addresses;
};

TEST(BuildLists, LastRepetitionFillsAllThreeListsInStep)
{
    Lists l;
    TPersonPool pool;
    int reseeds = 0;
    TListBuild build;
    build.Repetitions = 3;
    build.Records = 400;
    build.DrawRange = 399;
    build.Reseed = [&] { RandSeed = 1234u + reseeds++; };
    BuildLists(l.items, l.names, l.addresses, pool, Script({0}), build);

    EXPECT_EQ(reseeds, 3);
    EXPECT_EQ(l.items.Count(), 400);
    ExpectInStep(l.items, l.names, l.addresses);
    EXPECT_EQ(pool.Count(), 3u * 400u);

    // The entries are the draws of the last repetition, in draw order.
    RandSeed = 1234u + 2u;
    for (int i = 0; i < l.items.Count(); ++i)
        ASSERT_EQ(l.items.Strings(i), EntryText(Random(399))) << i;
    for (auto* list : {&l.items, &l.names, &l.addresses}) EXPECT_EQ(list->UpdateCount(), 0);
}

TEST(BuildLists, ListCreateTimeIsATenThousandthOfTheElapsedTicks)
{
    struct Row {
        std::uint32_t start, end;
        double expected;
    };
    const Row rows[] = {
        {1000, 13345, static_cast<double>(12345 * 0.0001L)},
        {0xFFFFFF00u, 0x100u, static_cast<double>(512 * 0.0001L)},  // the counter wraps
        {500, 500, 0.0},
    };
    for (const Row& row : rows) {
        Lists l;
        TPersonPool pool;
        TListBuild build;
        build.Repetitions = 1;
        build.Records = 3;
        EXPECT_EQ(
            BuildLists(l.items, l.names, l.addresses, pool, Script({row.start, row.end}), build),
            row.expected)
            << row.start;
    }
}

TEST(ListView, RefusesAnEntryWithoutARecordAndLeavesNoListSuspended)
{
    Lists l;
    TPersonPool pool;
    l.items.AddObject("Text 1", CreatePerson(pool, 1));
    l.items.AddObject("Text 2", nullptr);
    EXPECT_THROW(ListView(l.items, l.names, l.addresses), EInvalidCast);
    EXPECT_EQ(l.names.UpdateCount(), 0);
    EXPECT_EQ(l.addresses.UpdateCount(), 0);
    EXPECT_EQ(l.names.Count(), 1);
}

TEST(PersonPool, ReleasesOnlyRecordsNoListRefersTo)
{
    const auto before = TPerson::LiveCount();
    TPersonPool pool;
    TStringList a, b;
    TPerson* kept1 = CreatePerson(pool, 1);
    TPerson* kept2 = CreatePerson(pool, 2);
    for (std::uint32_t n = 3; n < 10; ++n) CreatePerson(pool, n);
    a.AddObject("Text 1", kept1);
    a.AddObject("Text 1", kept1);
    b.AddObject("Text 2", kept2);
    b.Add("no record");
    pool.ReleaseUnreferenced({&a, &b});
    EXPECT_EQ(pool.Count(), 2u);
    EXPECT_EQ(TPerson::LiveCount(), before + 2);
    EXPECT_EQ(TPerson::From(a.Objects(0)).GetName().Str(), Ansi("Имя:   2"));
    EXPECT_EQ(TPerson::From(b.Objects(0)).GetName().Str(), Ansi("Имя:   4"));
}

// Memory stays flat: however often the whole test runs, the live records
// afterwards are those of the last repetition.
TEST(PersonPool, LiveRecordsStayAtOneListAfterManyRuns)
{
    const auto before = TPerson::LiveCount();
    Lists l;
    TStringList keys, sortedItems;
    std::string pivot;
    TPersonPool pool;
    TListBuild build;
    build.Repetitions = 2;
    const TSortLists sort{l.items, l.names, l.addresses, keys, sortedItems, pivot};
    for (int run = 0; run < 20; ++run) {
        BuildLists(l.items, l.names, l.addresses, pool, SystemTicks(), build);
        TSortTimes times;
        Sorting(l.names, sort, SystemTicks(), times);
        pool.ReleaseUnreferenced({&l.items, &sortedItems});
        ASSERT_EQ(TPerson::LiveCount() - before, kListRecords) << run;
    }
    EXPECT_EQ(l.items.Count(), kListRecords);
}

}  // namespace
}  // namespace vt
