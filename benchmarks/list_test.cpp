#include "benchmarks/list_test.h"

#include <algorithm>
#include <charconv>

#include "platform/cp1251.h"
#include "platform/random.h"

namespace vt {

namespace {

// Appends the decimal text of `value` to a short buffer; returns its end.
char* AppendDecimal(char* out, char* end, std::uint32_t value)
{
    return std::to_chars(out, end, value).ptr;
}

const std::string& NamePrefix()
{
    static const std::string prefix = Ansi("Имя:   ");
    return prefix;
}

const std::string& AddressPrefix()
{
    static const std::string prefix = Ansi("адрес: ");
    return prefix;
}

}  // namespace

TPersonPool::~TPersonPool()
{
    for (TPerson* p : records_) delete p;
}

TPerson* TPersonPool::Create(std::string_view name)
{
    // Reserve first, so that the push_back below cannot fail and leave the
    // new record unowned.
    if (records_.size() == records_.capacity()) records_.reserve(records_.size() * 2 + 1024);
    TPerson* p = TPerson::Create(name);
    records_.push_back(p);
    return p;
}

void TPersonPool::ReleaseUnreferenced(std::initializer_list<const TStrings*> lists)
{
    std::vector<const TObject*> referenced;
    for (const TStrings* list : lists)
        for (int i = 0, n = list->Count(); i < n; ++i) referenced.push_back(list->Objects(i));
    std::sort(referenced.begin(), referenced.end());
    auto kept = std::partition(records_.begin(), records_.end(), [&](TPerson* p) {
        return std::binary_search(referenced.begin(), referenced.end(),
                                  static_cast<const TObject*>(p));
    });
    for (auto it = kept; it != records_.end(); ++it) delete *it;
    records_.erase(kept, records_.end());
}

TPerson* CreatePerson(TPersonPool& pool, std::uint32_t n)
{
    char buf[32];
    const std::string& namePrefix = NamePrefix();
    std::copy(namePrefix.begin(), namePrefix.end(), buf);
    char* end = AppendDecimal(buf + namePrefix.size(), buf + sizeof buf, 2 * n);
    TPerson* person = pool.Create(std::string_view(buf, static_cast<std::size_t>(end - buf)));

    const std::string& addressPrefix = AddressPrefix();
    std::copy(addressPrefix.begin(), addressPrefix.end(), buf);
    end = AppendDecimal(buf + addressPrefix.size(), buf + sizeof buf, 3 * n);
    person->SetAddress(std::string_view(buf, static_cast<std::size_t>(end - buf)));
    return person;
}

std::string EntryText(std::uint32_t n)
{
    char buf[16] = "Text ";
    char* end = AppendDecimal(buf + 5, buf + sizeof buf, n);
    return std::string(buf, static_cast<std::size_t>(end - buf));
}

void ListView(const TStrings& items, TStrings& names, TStrings& addresses)
{
    TUpdateScope update{&names, &addresses};
    names.Clear();
    addresses.Clear();
    for (int i = 0, n = items.Count(); i < n; ++i) {
        names.Add(TPerson::From(items.Objects(i)).GetName().Str());
        addresses.Add(TPerson::From(items.Objects(i)).GetAddress().Str());
    }
    update.End();
}

TUpdateScope::TUpdateScope(std::initializer_list<TStrings*> lists)
{
    for (TStrings* list : lists) {
        if (count_ == static_cast<int>(std::size(lists_))) break;
        list->BeginUpdate();
        lists_[count_++] = list;
    }
}

void TUpdateScope::End()
{
    for (int i = 0; i < count_; ++i) lists_[i]->EndUpdate();
    count_ = 0;
}

double BuildLists(TStrings& items, TStrings& names, TStrings& addresses, TPersonPool& pool,
                  const TickSource& ticks, const TListBuild& build)
{
    const std::uint32_t start = ticks();
    TUpdateScope update{&items, &names, &addresses};
    for (int r = 0; r < build.Repetitions; ++r) {
        items.Clear();
        if (build.Reseed)
            build.Reseed();
        else
            Randomize();
        for (int k = 0; k < build.Records; ++k) {
            const std::uint32_t n = Random(build.DrawRange);
            TPerson* person = CreatePerson(pool, n);
            items.AddObject(EntryText(n), person);
        }
        ListView(items, names, addresses);
    }
    update.End();
    const std::int32_t elapsed = TickDiff(ticks(), start);
    return static_cast<double>(static_cast<long double>(elapsed) * 0.0001L);
}

}  // namespace vt
