#include "benchmarks/sorting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "benchmarks/list_test.h"
#include "platform/cp1251.h"
#include "platform/random.h"

namespace vt {
namespace {

const std::string kName = Ansi("Имя:   ");

TEST(CompareKeys, UnsignedBytesAndAPrefixFirst)
{
    const std::pair<std::string, std::string> smallerLarger[] = {
        {kName + "10", kName + "2"},
        {kName + "100", kName + "12"},
        {kName + "2", kName + "20"},
        {"abc", "abcd"},
        {"z", Ansi("а")},
        {Ansi("Я"), Ansi("а")},
    };
    for (const auto& [a, b] : smallerLarger) {
        EXPECT_LT(CompareKeys(a, b), 0) << a << " < " << b;
        EXPECT_GT(CompareKeys(b, a), 0) << b << " > " << a;
    }
}

// Each item carries the key it started with, so a test sees the items follow
// their keys through every exchange.
struct Tagged : TObject {
    explicit Tagged(std::string k) : key(std::move(k)) {}
    std::string key;
};

struct SortCase {
    const char* label;
    std::vector<std::string> keys;
};

class QuickSortOrders : public ::testing::TestWithParam<SortCase> {};

TEST_P(QuickSortOrders, SortsByBytesAndCarriesTheItemsOverTenPasses)
{
    TStringList keys, items;
    std::string pivot;
    std::vector<std::unique_ptr<Tagged>> tags;
    for (const auto& k : GetParam().keys) {
        tags.push_back(std::make_unique<Tagged>(k));
        keys.Add(k);
        items.AddObject(k, tags.back().get());
    }
    auto expected = GetParam().keys;
    std::sort(expected.begin(), expected.end(),
              [](const auto& a, const auto& b) { return CompareKeys(a, b) < 0; });
    // The first pass sorts; the nine others must keep the order of the keys.
    for (int pass = 0; pass < kSortPasses; ++pass) {
        QuickSort(keys, items, pivot, 0, keys.Count() - 1);
        for (int i = 0; i < keys.Count(); ++i) {
            ASSERT_EQ(keys.Strings(i), expected[i]) << "pass " << pass << " entry " << i;
            ASSERT_EQ(static_cast<Tagged*>(items.Objects(i))->key, expected[i]);
            ASSERT_EQ(items.Strings(i), expected[i]);
        }
    }
}

std::vector<std::string> RandomNames(int count, std::uint32_t range)
{
    RandSeed = 7;
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) out.push_back(kName + std::to_string(2 * Random(range)));
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Lists, QuickSortOrders,
    ::testing::Values(SortCase{"One", {"only"}}, SortCase{"Two", {"b", "a"}},
                      SortCase{"AllEqual", {"x", "x", "x", "x", "x"}},
                      SortCase{"Cyrillic", {Ansi("я"), "z", Ansi("А"), "A", Ansi("ё"), ""}},
                      SortCase{"ManyRepeats", RandomNames(3000, 1000)},
                      SortCase{"FewRepeats", RandomNames(5000, 4999)}),
    [](const auto& info) { return std::string(info.param.label); });

// A list that reports every call, to tell which lists are used while the
// sort passes are timed.
class SpyList final : public TStrings {
public:
    explicit SpyList(std::function<void()> touched) : touched_(std::move(touched)) {}
    void BeginUpdate() override { touched_(), list.BeginUpdate(); }
    void EndUpdate() override { touched_(), list.EndUpdate(); }
    void Clear() override { touched_(), list.Clear(); }
    int AddObject(std::string text, TObject* object) override
    {
        return touched_(), list.AddObject(std::move(text), object);
    }
    int Count() const override { return touched_(), list.Count(); }
    const std::string& Strings(int index) const override { return touched_(), list.Strings(index); }
    TObject* Objects(int index) const override { return touched_(), list.Objects(index); }
    void Exchange(int a, int b) override { touched_(), list.Exchange(a, b); }
    TStringList list;

private:
    std::function<void()> touched_;
};

TEST(Sorting, TouchesNoBoxWhileTimedAndWritesTheRecordsBackInStep)
{
    int reads = 0, touchedWhileTimed = 0;
    auto spy = [&] { touchedWhileTimed += reads == 2; };  // between T1 and T2
    SpyList box1(spy), box2(spy), box3(spy);
    TStringList keys, items;
    std::string pivot;
    TPersonPool pool;
    BuildLists(box1.list, box2.list, box3.list, pool, SystemTicks(), {1, 2000, 1999, {}});
    TSortTimes times;
    Sorting(
        box2, {box1, box2, box3, keys, items, pivot}, [&] { return ++reads, 0u; }, times);

    EXPECT_EQ(reads, 4);
    EXPECT_EQ(touchedWhileTimed, 0);
    ASSERT_EQ(box2.list.Count(), 2000);
    for (int i = 0; i < box2.list.Count(); ++i) {
        const TPerson& p = TPerson::From(box1.list.Objects(i));
        const auto k = std::stoul(box1.list.Strings(i).substr(5));
        ASSERT_EQ(p.GetName().Str(), kName + std::to_string(2 * k)) << i;
        ASSERT_EQ(box2.list.Strings(i), p.GetName().Str()) << i;
        ASSERT_EQ(box3.list.Strings(i), p.GetAddress().Str()) << i;
        ASSERT_EQ(items.Objects(i), &p) << i;
        if (i > 0) {
            ASSERT_LE(CompareKeys(box2.list.Strings(i - 1), box2.list.Strings(i)), 0) << i;
        }
    }
}

TEST(Sorting, EmptyBoxSortsNothingAndKeepsTheLastSortTime)
{
    TStringList box1, box2, box3, keys, items;
    std::string pivot;
    keys.Add("old key");
    std::uint32_t tick = 100;
    TSortTimes times{0.5, 0};
    Sorting(
        box2, {box1, box2, box3, keys, items, pivot}, [&] { return std::exchange(tick, 2100); },
        times);
    EXPECT_EQ(times.SortTime, 0.5);
    EXPECT_EQ(times.SortOutputTime, static_cast<double>(2000 * 0.001L - 0.5L * 9));
    EXPECT_EQ(keys.Count(), 1);
}

TEST(Sorting, AnEntryWithoutARecordIsAnErrorAndNoListStaysSuspended)
{
    TStringList box1, box2, box3, keys, items;
    std::string pivot;
    box1.Add("Text 1");
    box2.Add("name");
    TSortTimes times;
    EXPECT_THROW(Sorting(box2, {box1, box2, box3, keys, items, pivot}, SystemTicks(), times),
                 EInvalidCast);
    EXPECT_EQ(keys.UpdateCount(), 0);
    EXPECT_EQ(items.UpdateCount(), 0);
}

}  // namespace
}  // namespace vt
