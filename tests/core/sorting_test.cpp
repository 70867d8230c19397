#include "benchmarks/sorting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "benchmarks/list_test.h"
#include "platform/cp1251.h"
#include "platform/random.h"

namespace vt {
namespace {

struct OrderCase {
    const char* label;
    std::string smaller, larger;
};

class KeyOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(KeyOrder, ComparesUnsignedBytesAndPutsAPrefixFirst)
{
    EXPECT_LT(CompareKeys(GetParam().smaller, GetParam().larger), 0);
    EXPECT_GT(CompareKeys(GetParam().larger, GetParam().smaller), 0);
    EXPECT_EQ(CompareKeys(GetParam().smaller, GetParam().smaller), 0);
}

const std::string kName = Ansi("Имя:   ");

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyOrder,
    ::testing::Values(OrderCase{"TenBeforeTwo", kName + "10", kName + "2"},
                      OrderCase{"HundredBeforeTwelve", kName + "100", kName + "12"},
                      OrderCase{"TwoBeforeTwenty", kName + "2", kName + "20"},
                      OrderCase{"PrefixFirst", "abc", "abcd"}, OrderCase{"EmptyFirst", "", "a"},
                      OrderCase{"LatinBeforeCyrillic", "z", Ansi("а")},
                      OrderCase{"CapitalYaBeforeSmallA", Ansi("Я"), Ansi("а")},
                      OrderCase{"SmallYaIsHighest", Ansi("ю"), Ansi("я")}),
    [](const auto& info) { return std::string(info.param.label); });

// Keys with an object per entry that remembers its key, so a test sees that
// the items follow their keys through every exchange.
struct Tagged : TObject {
    explicit Tagged(std::string k) : key(std::move(k)) {}
    std::string key;
};

struct SortFixture {
    TStringList keys, items;
    std::string pivot;
    std::vector<std::unique_ptr<Tagged>> tags;

    explicit SortFixture(const std::vector<std::string>& input)
    {
        for (const auto& k : input) {
            tags.push_back(std::make_unique<Tagged>(k));
            keys.Add(k);
            items.AddObject("item " + k, tags.back().get());
        }
    }
    void Sort() { QuickSort(keys, items, pivot, 0, keys.Count() - 1); }
    std::vector<std::string> Keys() const
    {
        std::vector<std::string> out;
        for (int i = 0; i < keys.Count(); ++i) out.push_back(keys.Strings(i));
        return out;
    }
    void ExpectItemsFollowKeys() const
    {
        for (int i = 0; i < keys.Count(); ++i) {
            ASSERT_EQ(static_cast<Tagged*>(items.Objects(i))->key, keys.Strings(i)) << i;
            ASSERT_EQ(items.Strings(i), "item " + keys.Strings(i)) << i;
        }
    }
};

std::vector<std::string> RandomNames(int count, std::uint32_t range, std::uint32_t seed)
{
    RandSeed = seed;
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) out.push_back(kName + std::to_string(2 * Random(range)));
    return out;
}

struct SortCase {
    const char* label;
    std::vector<std::string> keys;
};

class QuickSortOrders : public ::testing::TestWithParam<SortCase> {};

TEST_P(QuickSortOrders, SortsByBytesAndCarriesTheItems)
{
    SortFixture f(GetParam().keys);
    f.Sort();
    auto expected = GetParam().keys;
    std::sort(expected.begin(), expected.end(),
              [](const auto& a, const auto& b) { return CompareKeys(a, b) < 0; });
    EXPECT_EQ(f.Keys(), expected);
    f.ExpectItemsFollowKeys();

    // Further passes over the sorted lists keep the keys' order.
    for (int pass = 0; pass < 9; ++pass) f.Sort();
    EXPECT_EQ(f.Keys(), expected);
    f.ExpectItemsFollowKeys();
}

INSTANTIATE_TEST_SUITE_P(
    Lists, QuickSortOrders,
    ::testing::Values(SortCase{"One", {"only"}}, SortCase{"Two", {"b", "a"}},
                      SortCase{"AllEqual", {"x", "x", "x", "x", "x"}},
                      SortCase{"Descending", {"e", "d", "c", "b", "a"}},
                      SortCase{"Cyrillic", {Ansi("я"), "z", Ansi("А"), "A", Ansi("ё"), ""}},
                      SortCase{"ManyRepeats", RandomNames(3000, 1000, 7)},
                      SortCase{"FewRepeats", RandomNames(5000, 4999, 99)}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(QuickSort, SortsOnlyTheGivenStretch)
{
    SortFixture f({"z", "d", "c", "b", "a", "0"});
    QuickSort(f.keys, f.items, f.pivot, 1, 4);
    EXPECT_EQ(f.Keys(), (std::vector<std::string>{"z", "a", "b", "c", "d", "0"}));
    f.ExpectItemsFollowKeys();
}

TEST(QuickSort, PivotIsTheLowerMiddleOfTheLastPass)
{
    SortFixture one({"solo"});
    one.Sort();
    EXPECT_EQ(one.pivot, "solo");
    EXPECT_EQ(one.Keys(), std::vector<std::string>{"solo"});

    // Already sorted a..d: the first pass takes entry (0 + 3) >> 1 = 1; the
    // right part 2..3 then iterates with entry 2 as its pivot.
    SortFixture f({"a", "b", "c", "d"});
    f.Sort();
    EXPECT_EQ(f.pivot, "c");
}

TickSource Counting(std::deque<std::uint32_t> values, int* reads)
{
    auto shared = std::make_shared<std::deque<std::uint32_t>>(std::move(values));
    return [shared, reads] {
        ++*reads;
        const std::uint32_t v = shared->front();
        if (shared->size() > 1) shared->pop_front();
        return v;
    };
}

// A string list that reports every call, so a test can tell which lists are
// touched while the sort passes are timed.
class SpyList final : public TStrings {
public:
    explicit SpyList(std::function<void()> touched) : touched_(std::move(touched)) {}
    void BeginUpdate() override { touch(), list.BeginUpdate(); }
    void EndUpdate() override { touch(), list.EndUpdate(); }
    void Clear() override { touch(), list.Clear(); }
    int AddObject(std::string text, TObject* object) override
    {
        touch();
        return list.AddObject(std::move(text), object);
    }
    int Count() const override { return touch(), list.Count(); }
    const std::string& Strings(int index) const override { return touch(), list.Strings(index); }
    TObject* Objects(int index) const override { return touch(), list.Objects(index); }
    void Exchange(int a, int b) override { touch(), list.Exchange(a, b); }
    TStringList list;

private:
    void touch() const { touched_(); }
    std::function<void()> touched_;
};

struct SortingRun {
    int reads = 0;
    int touchedWhileTimed = 0;
    std::function<void()> spy = [this] {
        if (reads == 2) ++touchedWhileTimed;  // between T1 and T2
    };
    SpyList box1{spy}, box2{spy}, box3{spy};
    TStringList keys, items;
    std::string pivot;
    TPersonPool pool;
    TSortLists Lists() { return {box1, box2, box3, keys, items, pivot}; }

    void Build(int records, std::uint32_t range)
    {
        TListBuild build;
        build.Repetitions = 1;
        build.Records = records;
        build.DrawRange = range;
        build.Reseed = [] { RandSeed = 2024; };
        BuildLists(box1.list, box2.list, box3.list, pool, SystemTicks(), build);
    }
};

TEST(Sorting, WritesTheSortedRecordsBackInStep)
{
    SortingRun run;
    run.Build(2000, 1999);
    TSortTimes times;
    Sorting(run.box2, run.Lists(), Counting({0}, &run.reads), times);

    EXPECT_EQ(run.reads, 4);
    EXPECT_EQ(run.touchedWhileTimed, 0);
    const TStrings& names = run.box2.list;
    ASSERT_EQ(names.Count(), 2000);
    for (int i = 1; i < names.Count(); ++i)
        ASSERT_LE(CompareKeys(names.Strings(i - 1), names.Strings(i)), 0) << i;
    // Equal names stand side by side: no name reappears after another.
    std::set<std::string> seen;
    int repeats = 0;
    for (int i = 0; i < names.Count(); ++i) {
        if (i > 0 && names.Strings(i) == names.Strings(i - 1)) {
            ++repeats;
            continue;
        }
        ASSERT_TRUE(seen.insert(names.Strings(i)).second) << i;
    }
    EXPECT_GT(repeats, 0);
    for (int i = 0; i < names.Count(); ++i) {
        const TPerson& p = TPerson::From(run.box1.list.Objects(i));
        const std::uint32_t k = std::stoul(run.box1.list.Strings(i).substr(5));
        ASSERT_EQ(p.GetName().Str(), kName + std::to_string(2 * k));
        ASSERT_EQ(names.Strings(i), p.GetName().Str());
        ASSERT_EQ(run.box3.list.Strings(i), p.GetAddress().Str());
        ASSERT_EQ(run.keys.Strings(i), names.Strings(i));
        ASSERT_EQ(run.items.Objects(i), run.box1.list.Objects(i));
    }
    for (const TStringList* l :
         {&run.box1.list, &run.box2.list, &run.box3.list, &run.keys, &run.items})
        EXPECT_EQ(l->UpdateCount(), 0);
}

TEST(Sorting, FiguresFromTheFourTicks)
{
    struct Row {
        const char* label;
        std::uint32_t t0, t1, t2, t3;
    };
    const Row rows[] = {
        {"Plain", 1000, 1010, 1500, 1600},
        {"Wrapped", 0xFFFFFFF0u, 0xFFFFFFFFu, 0x20u, 0x40u},
        {"Instant", 7, 7, 7, 7},
    };
    for (const Row& row : rows) {
        SortingRun run;
        run.Build(50, 49);
        TSortTimes times;
        double told = -1;
        int readsWhenTold = 0;
        Sorting(run.box2, run.Lists(), Counting({row.t0, row.t1, row.t2, row.t3}, &run.reads),
                times, [&](double t) {
                    told = t;
                    readsWhenTold = run.reads;
                });
        const long double sortTime = static_cast<std::int32_t>(row.t2 - row.t1) * 0.0001L;
        const long double whole = static_cast<std::int32_t>(row.t3 - row.t0) * 0.001L;
        EXPECT_EQ(times.SortTime, static_cast<double>(sortTime)) << row.label;
        EXPECT_EQ(told, times.SortTime) << row.label;
        EXPECT_EQ(readsWhenTold, 3) << row.label;
        EXPECT_EQ(times.SortOutputTime,
                  static_cast<double>(whole - static_cast<long double>(times.SortTime) * 9))
            << row.label;
        EXPECT_NEAR(times.SortOutputTime + 9 * times.SortTime, static_cast<double>(whole), 1e-12)
            << row.label;
    }
}

TEST(Sorting, AnEmptyBoxSortsNothingAndKeepsTheLastSortTime)
{
    SortingRun run;
    run.keys.Add("old key");
    TSortTimes times{0.5, 0};
    Sorting(run.box2, run.Lists(), Counting({100, 2100}, &run.reads), times);
    EXPECT_EQ(run.reads, 2);
    EXPECT_EQ(times.SortTime, 0.5);
    EXPECT_EQ(times.SortOutputTime, static_cast<double>(2000 * 0.001L - 0.5L * 9));
    EXPECT_EQ(run.keys.Count(), 1);
}

TEST(Sorting, AnEntryWithoutARecordIsAnErrorAndNoListStaysSuspended)
{
    SortingRun run;
    run.box1.list.Add("Text 1");
    run.box2.list.Add("name");
    TSortTimes times;
    EXPECT_THROW(Sorting(run.box2, run.Lists(), SystemTicks(), times), EInvalidCast);
    EXPECT_EQ(run.keys.UpdateCount(), 0);
    EXPECT_EQ(run.items.UpdateCount(), 0);
}

}  // namespace
}  // namespace vt
