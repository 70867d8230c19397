// A list box: an unsorted single-selection list of Windows-1251 entries, each
// with an attached object reference, shown by a QListView over a light model.
//
// Items() is the entry list. Between BeginUpdate and EndUpdate (which nest)
// changes only touch the entries: the view is told once, at the outermost
// EndUpdate, lays the entries out and repaints there at once, exactly once.
// All entries share one height, so a refill never measures its entries.
#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <vector>

#include "benchmarks/strings.h"

namespace vt {

class TListBox;

class TListBoxItems final : public QAbstractListModel, public TStrings {
    Q_OBJECT
public:
    explicit TListBoxItems(TListBox* owner);

    // QAbstractListModel
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // TStrings
    void BeginUpdate() override;
    void EndUpdate() override;
    void Clear() override;
    int AddObject(std::string text, TObject* object) override;
    int Count() const override { return static_cast<int>(entries_.size()); }
    const std::string& Strings(int index) const override;
    TObject* Objects(int index) const override;
    void Exchange(int a, int b) override;
    int UpdateCount() const { return updateCount_; }

private:
    struct Entry {
        std::string text;
        TObject* object;
    };
    void Check(int index) const;

    TListBox* owner_;
    std::vector<Entry> entries_;
    int updateCount_ = 0;
};

class TListBox : public QListView {
    Q_OBJECT
public:
    explicit TListBox(QWidget* parent = nullptr);

    // Every entry is this many pixels high.
    static constexpr int ItemHeight = 12;

    TListBoxItems& Items() { return *items_; }
    const TListBoxItems& Items() const { return *items_; }

    // The selected entry, or -1.
    int ItemIndex() const;
    void SetItemIndex(int index);

    // Number of full repaints of the list so far (tests check that a
    // suspended list is not painted).
    int PaintCount() const { return paintCount_; }

signals:
    void Clicked();
    void DoubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TListBoxItems* items_;
    int paintCount_ = 0;
};

// The look of the Test1 page's list boxes: Arial of 9 pixels on light green,
// rows of ItemHeight. Whoever builds into such a box gets the window's
// figure.
void StyleTest1ListBox(TListBox* box);

}  // namespace vt
