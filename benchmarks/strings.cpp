#include "benchmarks/strings.h"

#include <utility>

#include "platform/errors.h"

namespace vt {

void TStringList::Check(int index) const
{
    if (index < 0 || index >= Count()) throw EListError(index);
}

int TStringList::AddObject(std::string text, TObject* object)
{
    entries_.push_back({std::move(text), object});
    return Count() - 1;
}

const std::string& TStringList::Strings(int index) const
{
    Check(index);
    return entries_[static_cast<std::size_t>(index)].text;
}

TObject* TStringList::Objects(int index) const
{
    Check(index);
    return entries_[static_cast<std::size_t>(index)].object;
}

void TStringList::Exchange(int a, int b)
{
    Check(a);
    Check(b);
    std::swap(entries_[static_cast<std::size_t>(a)], entries_[static_cast<std::size_t>(b)]);
}

}  // namespace vt
