#include "compare/compare_window.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCollator>
#include <QCursor>
#include <QFile>
#include <QFileDialog>
#include <QFont>
#include <QFutureWatcher>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTableView>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <QtConcurrent/QtConcurrent>
#include <algorithm>
#include <numeric>

namespace vt {

int TCompareModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(order_.size());
}

int TCompareModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant TCompareModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid()) return {};
    const std::size_t at = order_[static_cast<std::size_t>(index.row())];
    const TCompareRow& row = rows_[at];
    switch (role) {
        case Qt::DisplayRole:
            return CellText(row, index.column());
        case Qt::TextAlignmentRole:
            return index.column() < kFixedColumns ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                                  : QVariant(Qt::AlignRight | Qt::AlignVCenter);
        case Qt::FontRole:
            if (at == reference_) {
                QFont bold;
                bold.setBold(true);
                return bold;
            }
            return {};
        case Qt::ToolTipRole: {
            if (index.column() == 0)
                return QStringLiteral("%1, line %2").arg(row.File).arg(row.Record.LineNumber);
            if (index.column() < kFixedColumns) return {};
            const int score = index.column() - kFixedColumns;
            const auto& column = ScoreColumns()[static_cast<std::size_t>(score)];
            const auto relative =
                RelativeScore(ScoreValue(row.Record.Scores, score),
                              ScoreValue(rows_[reference_].Record.Scores, score), column.IsTime);
            if (!relative) return QStringLiteral("no value to compare");
            return QStringLiteral("%1 x the reference (higher is better)")
                .arg(QString::number(*relative, 'f', 3));
        }
        default:
            return {};
    }
}

QVariant TCompareModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    return ColumnTitles().value(section);
}

void TCompareModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= kColumnCount) return;
    emit layoutAboutToBeChanged();
    // Keys are computed once per row, not once per comparison: a log may
    // hold a hundred thousand lines.
    std::vector<QCollatorSortKey> texts;
    std::vector<double> values;
    if (column < kFixedColumns) {
        QCollator collator;
        collator.setNumericMode(true);
        texts.reserve(rows_.size());
        for (const TCompareRow& row : rows_)
            texts.push_back(collator.sortKey(CellText(row, column)));
    } else {
        values.reserve(rows_.size());
        // A row without a value sorts below every measured one.
        for (const TCompareRow& row : rows_)
            values.push_back(ScoreValue(row.Record.Scores, column - kFixedColumns).value_or(-1));
    }
    auto less = [&](std::size_t a, std::size_t b) {
        return texts.empty() ? values[a] < values[b] : texts[a].compare(texts[b]) < 0;
    };
    const QModelIndexList persistent = persistentIndexList();
    std::vector<std::size_t> persistentRows;
    for (const QModelIndex& i : persistent)
        persistentRows.push_back(order_[static_cast<std::size_t>(i.row())]);
    std::stable_sort(order_.begin(), order_.end(), [&](std::size_t a, std::size_t b) {
        return order == Qt::AscendingOrder ? less(a, b) : less(b, a);
    });
    // Selections and the current cell follow their rows.
    std::vector<int> shownAt(rows_.size());
    for (std::size_t r = 0; r < order_.size(); ++r) shownAt[order_[r]] = static_cast<int>(r);
    QModelIndexList moved;
    for (qsizetype i = 0; i < persistent.size(); ++i)
        moved << index(shownAt[persistentRows[static_cast<std::size_t>(i)]],
                       persistent[i].column());
    changePersistentIndexList(persistent, moved);
    emit layoutChanged();
    emit Changed();
}

void TCompareModel::AddRows(std::vector<TCompareRow> rows)
{
    if (rows.empty()) return;
    const int first = static_cast<int>(order_.size());
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    for (TCompareRow& row : rows) {
        order_.push_back(rows_.size());
        rows_.push_back(std::move(row));
    }
    endInsertRows();
    emit Changed();
}

std::vector<TCompareRow> TCompareModel::ShownRows() const
{
    std::vector<TCompareRow> shown;
    shown.reserve(order_.size());
    for (std::size_t i : order_) shown.push_back(rows_[i]);
    return shown;
}

const TCompareRow& TCompareModel::RowAt(int shownRow) const
{
    return rows_[order_[static_cast<std::size_t>(shownRow)]];
}

int TCompareModel::ReferenceRow() const
{
    const auto it = std::find(order_.begin(), order_.end(), reference_);
    return it == order_.end() ? -1 : static_cast<int>(it - order_.begin());
}

void TCompareModel::SetReferenceRow(int shownRow)
{
    if (shownRow < 0 || shownRow >= rowCount()) return;
    reference_ = order_[static_cast<std::size_t>(shownRow)];
    emit dataChanged(index(0, 0), index(rowCount() - 1, kColumnCount - 1));
    emit Changed();
}

TCompareWindow::TCompareWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Compare results"));
    resize(1100, 800);

    auto* open = new QPushButton(QStringLiteral("Open logs..."));
    auto* reference = new QPushButton(QStringLiteral("Use as reference"));
    auto* csv = new QPushButton(QStringLiteral("Export CSV..."));
    auto* png = new QPushButton(QStringLiteral("Export charts..."));
    open->setObjectName("OpenLogs");
    reference->setObjectName("UseAsReference");
    reference_ = new QLabel;
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {open, reference, csv, png}) buttons->addWidget(b);
    buttons->addWidget(reference_, 1);

    table_ = new QTableView;
    table_->setModel(&model_);
    table_->setSortingEnabled(true);
    table_->sortByColumn(-1, Qt::AscendingOrder);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    table_->setColumnWidth(1, 180);

    charts_ = new QWidget;
    chartGrid_ = new QGridLayout(charts_);
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setWidget(charts_);

    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(table_);
    splitter->addWidget(scroll);
    splitter->setStretchFactor(1, 2);

    skipped_ = new QLabel;
    skipped_->setWordWrap(true);
    skipped_->setObjectName("Skipped");

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(splitter, 1);
    layout->addWidget(skipped_);

    connect(open, &QPushButton::clicked, this, &TCompareWindow::OpenLogsClick);
    connect(reference, &QPushButton::clicked, this, &TCompareWindow::ReferenceClick);
    connect(csv, &QPushButton::clicked, this, &TCompareWindow::ExportCsvClick);
    connect(png, &QPushButton::clicked, this, &TCompareWindow::ExportChartsClick);
    connect(table_, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { model_.SetReferenceRow(index.row()); });
    connect(&model_, &TCompareModel::Changed, this, &TCompareWindow::RebuildCharts);
    RebuildCharts();
}

void TCompareWindow::AddLogs(const QStringList& paths)
{
    if (paths.isEmpty()) return;
    ++pending_;
    skipped_->setText(QStringLiteral("Reading %1...").arg(paths.join(", ")));
    auto* watcher = new QFutureWatcher<std::vector<TLoadedLog>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        std::vector<TLoadedLog> logs = watcher->result();
        watcher->deleteLater();
        std::vector<TCompareRow> rows;
        for (TLoadedLog& log : logs) {
            const QString summary = SkippedSummary(log);
            if (!summary.isEmpty()) skippedTexts_ << summary;
            std::vector<TCompareRow> more = RowsOf(std::move(log));
            rows.insert(rows.end(), std::make_move_iterator(more.begin()),
                        std::make_move_iterator(more.end()));
        }
        model_.AddRows(std::move(rows));
        table_->resizeColumnsToContents();  // looks at the first thousand rows only
        --pending_;
        skipped_->setText(skippedTexts_.isEmpty() ? QStringLiteral("No lines skipped.")
                                                  : skippedTexts_.join("; "));
        emit LogsLoaded();
    });
    watcher->setFuture(QtConcurrent::run([paths] {
        std::vector<TLoadedLog> logs;
        for (const QString& path : paths) logs.push_back(LoadLog(path));
        return logs;
    }));
}

const QBarSet* TCompareWindow::ChartBars(int score) const
{
    return score >= 0 && score < static_cast<int>(bars_.size())
               ? bars_[static_cast<std::size_t>(score)]
               : nullptr;
}

QString TCompareWindow::SkippedText() const
{
    return skipped_->text();
}

bool TCompareWindow::ExportCsv(const QString& path) const
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const QByteArray bytes = CompareCsv(model_.ShownRows()).toUtf8();
    return file.write(bytes) == bytes.size() && file.flush();
}

bool TCompareWindow::ExportCharts(const QString& path) const
{
    return charts_->grab().save(path, "PNG");
}

void TCompareWindow::OpenLogsClick()
{
    AddLogs(QFileDialog::getOpenFileNames(this, QStringLiteral("Open logs"), {},
                                          QStringLiteral("Results logs (*.txt);;All files (*)")));
}

void TCompareWindow::ExportCsvClick()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export CSV"), {},
                                                      QStringLiteral("CSV (*.csv)"));
    if (!path.isEmpty() && !ExportCsv(path))
        QMessageBox::warning(this, windowTitle(), QStringLiteral("Cannot write %1").arg(path));
}

void TCompareWindow::ExportChartsClick()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export charts"), {},
                                                      QStringLiteral("PNG (*.png)"));
    if (!path.isEmpty() && !ExportCharts(path))
        QMessageBox::warning(this, windowTitle(), QStringLiteral("Cannot write %1").arg(path));
}

void TCompareWindow::ReferenceClick()
{
    const QModelIndex current = table_->currentIndex();
    if (current.isValid()) model_.SetReferenceRow(current.row());
}

void TCompareWindow::RebuildCharts()
{
    while (QLayoutItem* item = chartGrid_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    bars_.clear();
    const int rows = std::min(model_.rowCount(), kChartRows);
    const int referenceRow = model_.ReferenceRow();
    if (referenceRow >= 0) {
        const TCompareRow& ref = model_.RowAt(referenceRow);
        reference_->setText(QStringLiteral("Reference: row %1, %2 / %3")
                                .arg(referenceRow + 1)
                                .arg(CellText(ref, 1), CellText(ref, 2)) +
                            (model_.rowCount() > kChartRows
                                 ? QStringLiteral("; the charts show the first %1 of %2 rows")
                                       .arg(kChartRows)
                                       .arg(model_.rowCount())
                                 : QString()));
    } else {
        reference_->setText(QStringLiteral("No rows"));
    }
    QStringList categories;
    for (int r = 0; r < rows; ++r)
        categories << QStringLiteral("%1. %2").arg(r + 1).arg(CellText(model_.RowAt(r), 1));

    for (int score = 0; score < kScoreCount; ++score) {
        const TScoreColumn& column = ScoreColumns()[static_cast<std::size_t>(score)];
        const std::optional<double> reference =
            referenceRow >= 0 ? ScoreValue(model_.RowAt(referenceRow).Record.Scores, score)
                              : std::nullopt;
        auto* set = new QBarSet(QStringLiteral("relative to the reference"));
        QStringList tips;
        double top = 1;
        for (int r = 0; r < rows; ++r) {
            const auto value = ScoreValue(model_.RowAt(r).Record.Scores, score);
            const auto relative = RelativeScore(value, reference, column.IsTime);
            set->append(relative.value_or(0));
            top = std::max(top, relative.value_or(0));
            tips << QStringLiteral("%1\n%2 %3%4")
                        .arg(categories[r],
                             value ? QString::number(*value, 'f', column.Decimals)
                                   : QStringLiteral("not measured"),
                             value ? QLatin1String(column.Unit) : QLatin1String(""),
                             relative ? QStringLiteral(", %1 x the reference")
                                            .arg(QString::number(*relative, 'f', 3))
                                      : QString());
        }
        QObject::connect(set, &QBarSet::hovered, set, [tips](bool status, int index) {
            if (status && index >= 0 && index < tips.size())
                QToolTip::showText(QCursor::pos(), tips[index]);
            else
                QToolTip::hideText();
        });
        auto* series = new QBarSeries;
        series->append(set);
        auto* chart = new QChart;
        chart->addSeries(series);
        chart->legend()->hide();
        chart->setTitle(
            QStringLiteral("%1 (%2): %3")
                .arg(QLatin1String(column.Title), QLatin1String(column.Unit),
                     !reference ? QStringLiteral("the reference has no value")
                     : column.IsTime
                         ? QStringLiteral("reference time / time (inverted), higher is better")
                         : QStringLiteral("value / reference, higher is better")));
        auto* x = new QBarCategoryAxis;
        x->append(categories);
        x->setLabelsAngle(-60);
        auto* y = new QValueAxis;
        y->setRange(0, top * 1.1);
        y->setLabelFormat("%.2f");
        chart->addAxis(x, Qt::AlignBottom);
        chart->addAxis(y, Qt::AlignLeft);
        series->attachAxis(x);
        series->attachAxis(y);
        auto* view = new QChartView(chart);
        view->setRenderHint(QPainter::Antialiasing);
        view->setMinimumSize(480, 340);
        chartGrid_->addWidget(view, score / 2, score % 2);
        bars_.push_back(set);
    }
}

}  // namespace vt
