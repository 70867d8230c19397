// Lists of 8-bit strings with an object reference per entry: the entry lists
// of the list boxes and the two string lists of the sorting test share this
// interface, so the tests run the same code over either.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vt {

// The root of the objects a list entry can carry. Lists reference objects;
// they never own or release them.
class TObject {
public:
    virtual ~TObject() = default;
};

class TStrings {
public:
    virtual ~TStrings() = default;

    // Change notifications (for a list box: its redraw) are suspended between
    // BeginUpdate and EndUpdate. Updates nest: only the outermost EndUpdate
    // resumes them.
    virtual void BeginUpdate() = 0;
    virtual void EndUpdate() = 0;

    virtual void Clear() = 0;
    // Appends an entry; returns its index.
    virtual int AddObject(std::string text, TObject* object) = 0;
    int Add(std::string text) { return AddObject(std::move(text), nullptr); }
    virtual int Count() const = 0;
    // Raise EListError "List index out of bounds (%d)" for a bad index.
    virtual const std::string& Strings(int index) const = 0;
    virtual TObject* Objects(int index) const = 0;
    // Swaps two entries, text and object together.
    virtual void Exchange(int a, int b) = 0;
};

// A plain in-memory list: unsorted, duplicates kept.
class TStringList final : public TStrings {
public:
    void BeginUpdate() override { ++updateCount_; }
    void EndUpdate() override
    {
        if (updateCount_ > 0) --updateCount_;
    }
    int UpdateCount() const { return updateCount_; }

    void Clear() override { entries_.clear(); }
    int AddObject(std::string text, TObject* object) override;
    int Count() const override { return static_cast<int>(entries_.size()); }
    const std::string& Strings(int index) const override;
    TObject* Objects(int index) const override;
    void Exchange(int a, int b) override;

private:
    struct Entry {
        std::string text;
        TObject* object;
    };
    void Check(int index) const;

    std::vector<Entry> entries_;
    int updateCount_ = 0;
};

}  // namespace vt
