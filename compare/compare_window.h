// The Compare window: the result lines of one or more results logs in a
// sortable table, with one row chosen as the reference, and one bar chart per
// score showing every row relative to the reference (higher is better for
// every score: times are inverted). Logs are read off the GUI thread, so that
// a huge log does not stall the window.
#pragma once

#include <QAbstractTableModel>
#include <QWidget>
#include <vector>

#include "compare/compare_table.h"

class QBarSet;
class QGridLayout;
class QLabel;
class QTableView;

namespace vt {

// The table's rows in their shown order; the reference row is bold.
class TCompareModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

    void AddRows(std::vector<TCompareRow> rows);
    // The rows in shown order.
    std::vector<TCompareRow> ShownRows() const;
    const TCompareRow& RowAt(int shownRow) const;
    // The shown row of the reference, -1 when there are no rows.
    int ReferenceRow() const;
    void SetReferenceRow(int shownRow);

signals:
    void Changed();

private:
    std::vector<TCompareRow> rows_;
    std::vector<std::size_t> order_;  // shown row -> index in rows_
    std::size_t reference_ = 0;       // index in rows_
};

class TCompareWindow : public QWidget {
    Q_OBJECT
public:
    // At most this many rows, in table order, are drawn in the charts.
    static constexpr int kChartRows = 30;

    explicit TCompareWindow(QWidget* parent = nullptr);

    // Reads the logs off the GUI thread and adds their rows when done.
    void AddLogs(const QStringList& paths);
    bool Loading() const { return pending_ > 0; }

    TCompareModel& Model() { return model_; }
    // The bars of the chart of `score`: one value per charted row, relative
    // to the reference (0 where a row has no value).
    const QBarSet* ChartBars(int score) const;
    QString SkippedText() const;

    bool ExportCsv(const QString& path) const;
    bool ExportCharts(const QString& path) const;

signals:
    void LogsLoaded();

private:
    void OpenLogsClick();
    void ExportCsvClick();
    void ExportChartsClick();
    void ReferenceClick();
    void RebuildCharts();

    TCompareModel model_;
    QTableView* table_;
    QWidget* charts_;
    QGridLayout* chartGrid_;
    QLabel* skipped_;
    QLabel* reference_;
    QStringList skippedTexts_;
    std::vector<QBarSet*> bars_;
    int pending_ = 0;
};

}  // namespace vt
