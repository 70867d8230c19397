// The list-building test: ten repetitions, each building 32,000 person
// records and showing each as one entry in three lists (a "Text n" entry with
// the record attached, its name, its address).
//
// The functions work on any TStrings, so the window runs them over its list
// boxes and the tests over plain string lists.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "benchmarks/person.h"
#include "benchmarks/strings.h"
#include "platform/tick_count.h"

namespace vt {

inline constexpr int kListRepetitions = 10;
inline constexpr int kListRecords = 32000;
// Draws are 0 .. 31,998: 31,999 values for 32,000 draws, so names repeat.
inline constexpr std::uint32_t kListDrawRange = 31999;

// Owns every record the list test creates. Lists only reference records, so
// the pool is what releases them: after a run, outside every timed interval,
// it releases the records no list refers to any more. Memory thus stays at
// one run's records plus the last repetition's, however often the test runs.
class TPersonPool {
public:
    TPersonPool() = default;
    TPersonPool(const TPersonPool&) = delete;
    TPersonPool& operator=(const TPersonPool&) = delete;
    ~TPersonPool();

    // A new record owned by the pool (see TPerson::Create).
    TPerson* Create(std::string_view name);

    // Releases every owned record that no entry of `lists` carries.
    void ReleaseUnreferenced(std::initializer_list<const TStrings*> lists);

    std::size_t Count() const { return records_.size(); }

private:
    std::vector<TPerson*> records_;
};

// The record of draw n: name "Имя:   " 2n, address "адрес: " 3n.
TPerson* CreatePerson(TPersonPool& pool, std::uint32_t n);

// The text of the entry of draw n: "Text " n.
std::string EntryText(std::uint32_t n);

// Rebuilds `names` and `addresses` from the records attached to `items`:
// entry i of each belongs to the record of entry i of `items`. Both are
// updated as a whole (begun and ended once). EInvalidCast for an entry that
// carries no record.
void ListView(const TStrings& items, TStrings& names, TStrings& addresses);

// Begins an update on each list in the given order, and ends them in the same
// order at End() or, when an error leaves the scope early, on the way out, so
// that no list stays suspended.
class TUpdateScope {
public:
    TUpdateScope(std::initializer_list<TStrings*> lists);
    TUpdateScope(const TUpdateScope&) = delete;
    TUpdateScope& operator=(const TUpdateScope&) = delete;
    ~TUpdateScope() { End(); }
    void End();

private:
    TStrings* lists_[3] = {};
    int count_ = 0;
};

struct TListBuild {
    int Repetitions = kListRepetitions;
    int Records = kListRecords;
    std::uint32_t DrawRange = kListDrawRange;
    // Reseeds the random generator at the start of each repetition.
    std::function<void()> Reseed;  // empty: from the time of day
};

// The timed part of the test: the start tick, updates begun on the three
// lists, the repetitions (clear `items`, reseed, create the records with
// their entries, ListView), the updates ended (the lists repaint), the end
// tick. Returns ListCreateTime: elapsed milliseconds x 0.0001, the seconds
// per repetition of ten.
double BuildLists(TStrings& items, TStrings& names, TStrings& addresses, TPersonPool& pool,
                  const TickSource& ticks, const TListBuild& build = {});

}  // namespace vt
