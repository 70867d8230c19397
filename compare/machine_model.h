// The machine table as the Compare window shows it: one row per machine,
// sortable by any column, the reference's row in bold, and a check box per
// machine choosing whether its bar is in the charts.
//
// Columns: description (with the check box), label, lines, the first line,
// then for each score its median and its ratio with the verdict, then the
// overall row's figures.
#pragma once

#include <QAbstractTableModel>
#include <QFont>
#include <memory>
#include <vector>

#include "compare/machine_table.h"

namespace vt {

inline constexpr int kFirstScoreColumn = 4;
inline constexpr int kOverallColumn = kFirstScoreColumn + 2 * static_cast<int>(kTableScoreCount);
inline constexpr int kMachineColumns = kOverallColumn + 1;
inline int MedianColumn(int score)
{
    return kFirstScoreColumn + 2 * score;
}
inline int RatioColumn(int score)
{
    return kFirstScoreColumn + 2 * score + 1;
}

// The text of cell `column` of `machine`, as the window shows it.
QString MachineCell(const TMachineTable& table, std::size_t machine, int column);
QString MachineColumnTitle(int column);

// The width each column needs for every one of its cells and its title,
// drawn in `font` made bold (the reference's row is bold), with `margin`
// pixels to spare. Safe off the GUI thread.
std::vector<int> MachineColumnWidths(const TMachineTable& table, QFont font, int margin);

class TMachineModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Machines charted at first, in table order.
    static constexpr int kFirstCharted = 12;

    using QAbstractTableModel::QAbstractTableModel;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

    // A new table. With `sameMachines` (the same grouping of the same logs,
    // maybe more of them) the order and the charted machines are kept, the
    // new machines added at the end; otherwise they start afresh.
    void SetTable(std::shared_ptr<const TMachineTable> table, bool sameMachines);
    const TMachineTable* Table() const { return table_.get(); }
    std::size_t MachineAt(int row) const { return order_[static_cast<std::size_t>(row)]; }
    // The charted machines in table order.
    std::vector<std::size_t> ChartedMachines() const;
    void SetCharted(std::size_t machine, bool charted);

signals:
    // The order of the rows or the charted machines changed.
    void Changed();

private:
    std::shared_ptr<const TMachineTable> table_;
    std::vector<std::size_t> order_;  // shown row -> machine
    std::vector<char> charted_;       // per machine
};

}  // namespace vt
