#include "app/widgets/list_box.h"

#include <QPaintEvent>
#include <QStyledItemDelegate>
#include <utility>

#include "app/look.h"
#include "app/qt_text.h"
#include "platform/errors.h"

namespace vt {

namespace {

// Draws entries as usual at the list box's fixed item height. With uniform
// item sizes the view asks this for the first entry only.
class TFixedHeightDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(TListBox::ItemHeight);
        return size;
    }
};

}  // namespace

TListBoxItems::TListBoxItems(TListBox* owner) : QAbstractListModel(owner), owner_(owner) {}

int TListBoxItems::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Count();
}

QVariant TListBoxItems::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= Count()) return {};
    return Q(entries_[static_cast<std::size_t>(index.row())].text);
}

void TListBoxItems::BeginUpdate()
{
    if (updateCount_++ == 0) {
        owner_->setUpdatesEnabled(false);
        beginResetModel();
    }
}

void TListBoxItems::EndUpdate()
{
    if (updateCount_ == 0) return;
    if (--updateCount_ == 0) {
        endResetModel();
        owner_->setUpdatesEnabled(true);
        // Lay the entries out now (asking for an entry's place does that),
        // so that the one repaint below shows them and leaves no second
        // repaint pending; then repaint the whole box, scroll bar included.
        owner_->visualRect(index(0));
        owner_->repaint();
    }
}

void TListBoxItems::Check(int index) const
{
    if (index < 0 || index >= Count()) throw EListError(index);
}

void TListBoxItems::Clear()
{
    if (updateCount_ > 0) {
        entries_.clear();
        return;
    }
    beginResetModel();
    entries_.clear();
    endResetModel();
}

int TListBoxItems::AddObject(std::string text, TObject* object)
{
    const int row = Count();
    if (updateCount_ > 0) {
        entries_.push_back({std::move(text), object});
        return row;
    }
    beginInsertRows(QModelIndex(), row, row);
    entries_.push_back({std::move(text), object});
    endInsertRows();
    return row;
}

const std::string& TListBoxItems::Strings(int index) const
{
    Check(index);
    return entries_[static_cast<std::size_t>(index)].text;
}

TObject* TListBoxItems::Objects(int index) const
{
    Check(index);
    return entries_[static_cast<std::size_t>(index)].object;
}

void TListBoxItems::Exchange(int a, int b)
{
    Check(a);
    Check(b);
    std::swap(entries_[static_cast<std::size_t>(a)], entries_[static_cast<std::size_t>(b)]);
    if (updateCount_ == 0) {
        emit dataChanged(index(a), index(a));
        emit dataChanged(index(b), index(b));
    }
}

TListBox::TListBox(QWidget* parent) : QListView(parent), items_(new TListBoxItems(this))
{
    setModel(items_);
    setItemDelegate(new TFixedHeightDelegate(this));
    // Only the first entry is measured; without this the first layout after
    // a refill would measure every entry.
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(this, &QListView::clicked, this, [this] { emit Clicked(); });
    connect(this, &QListView::doubleClicked, this, [this] { emit DoubleClicked(); });
}

int TListBox::ItemIndex() const
{
    const auto rows = selectionModel()->selectedIndexes();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TListBox::SetItemIndex(int index)
{
    if (index < 0 || index >= items_->Count()) {
        clearSelection();
        return;
    }
    setCurrentIndex(items_->index(index));
}

void TListBox::paintEvent(QPaintEvent* event)
{
    ++paintCount_;
    QListView::paintEvent(event);
}

void StyleTest1ListBox(TListBox* box)
{
    box->setFont(DesignFont("Arial", 9));
    SetBackground(box, kLightGreen);
}

}  // namespace vt
