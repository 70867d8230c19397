#include "compare/compare_window.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFutureWatcher>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "benchmarks/memory_test.h"
#include "compare/compare_charts.h"
#include "compare/measure_dialog.h"
#include "compare/table_format.h"
#include "platform/fifo_wake.h"
#include "results/log_location.h"
#include "results/records_log.h"
#include "sysinfo/probes.h"

namespace vt {

namespace {

// Skipped lines named one by one in the tooltip, per log.
constexpr std::size_t kShownSkipped = 50;
constexpr int kCellMargin = 16;

struct TComparison {
    std::shared_ptr<const TMachineTable> Table;
    std::vector<int> Widths;
    QString ReferenceError;
};

QScrollArea* Scrolled(QWidget* inner)
{
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setWidget(inner);
    return scroll;
}

void Clear(QGridLayout* grid)
{
    while (QLayoutItem* item = grid->takeAt(0)) {
        delete item->widget();
        delete item;
    }
}

// A chart's view, hidden until its turn to be shown (ShowNextChart).
QChartView* ChartView(QChart* chart, int height)
{
    auto* view = new QChartView(chart);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(560, height);
    view->hide();
    return view;
}

// Shows the first chart of `grid` still hidden; false where none is.
bool ShowNextChart(QGridLayout* grid)
{
    for (int i = 0; i < grid->count(); ++i)
        if (QWidget* widget = grid->itemAt(i)->widget(); widget && widget->isHidden()) {
            widget->show();
            return true;
        }
    return false;
}

}  // namespace

TCompareWindow::TCompareWindow(TGroupBy groupBy, QWidget* parent)
    : QWidget(parent, Qt::Window), by_(groupBy)
{
    setWindowTitle(QStringLiteral("Compare results"));
    resize(1280, 900);

    open_ = new QPushButton(QStringLiteral("Open logs..."));
    open_->setObjectName("OpenLogs");
    groupBy_ = new QComboBox;
    groupBy_->setObjectName("GroupBy");
    groupBy_->addItem(QStringLiteral("description and label"),
                      static_cast<int>(TGroupBy::Description));
    groupBy_->addItem(QStringLiteral("log file"), static_cast<int>(TGroupBy::File));
    groupBy_->addItem(QStringLiteral("line"), static_cast<int>(TGroupBy::Line));
    groupBy_->addItem(QStringLiteral("host, processor and memory"),
                      static_cast<int>(TGroupBy::Machine));
    groupBy_->setCurrentIndex(groupBy_->findData(static_cast<int>(by_)));
    groupBy_->setToolTip(QStringLiteral(
        "What makes a machine: the lines with the same description and label, the lines of "
        "one log, every line on its own, or the runs whose records name the same host, "
        "processor and memory (the first choice where every run has a record)."));
    quietOnly_ = new QCheckBox(QStringLiteral("Quiet runs only"));
    quietOnly_->setObjectName("QuietOnly");
    quietOnly_->setToolTip(QStringLiteral(
        "Leave out the runs whose record says they were not quiet: other processes, steal "
        "time or throttling took from them. The foot of the window says how many per machine."));
    useReference_ = new QPushButton(QStringLiteral("Use as reference"));
    useReference_->setObjectName("UseAsReference");
    auto* csv = new QPushButton(QStringLiteral("Export CSV..."));
    auto* png = new QPushButton(QStringLiteral("Export charts..."));
    auto* measure = new QPushButton(QStringLiteral("Measure this PC..."));
    measure->setObjectName("MeasureThisPc");
    measure->setToolTip(QStringLiteral(
        "Runs the tests several times in a process of their own, saves every run to this PC's "
        "logs and shows it here as soon as it is finished."));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(measure);
    buttons->addWidget(open_);
    buttons->addWidget(new QLabel(QStringLiteral("Machines by:")));
    buttons->addWidget(groupBy_);
    buttons->addWidget(quietOnly_);
    for (QPushButton* b : {useReference_, csv, png}) buttons->addWidget(b);
    buttons->addStretch(1);

    status_ = new QLabel;
    status_->setObjectName("Status");
    status_->setWordWrap(true);
    status_->setToolTip(VerdictHelp());

    table_ = new QTableView;
    table_->setModel(&model_);
    table_->setSortingEnabled(true);
    table_->sortByColumn(-1, Qt::AscendingOrder);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);

    charts_ = new QWidget;
    chartGrid_ = new QGridLayout(charts_);
    runs_ = new QWidget;
    auto* runsLayout = new QVBoxLayout(runs_);
    runsTitle_ = new QLabel;
    runsTitle_->setWordWrap(true);
    runsGrid_ = new QGridLayout;
    runsLayout->addWidget(runsTitle_);
    runsLayout->addLayout(runsGrid_);
    runsLayout->addStretch(1);
    auto* tabs = new QTabWidget;
    tabs->addTab(Scrolled(charts_), QStringLiteral("Ratios to the reference"));
    tabs->addTab(Scrolled(runs_), QStringLiteral("Runs over time"));
    connect(tabs, &QTabWidget::currentChanged, this, &TCompareWindow::QueueShowChart);

    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(table_);
    splitter->addWidget(tabs);
    splitter->setStretchFactor(1, 2);

    messages_ = new QLabel;
    messages_->setWordWrap(true);
    messages_->setObjectName("Messages");

    ownLogs_ = new QLabel;
    ownLogs_->setObjectName("OwnLogs");
    ownLogs_->setWordWrap(true);
    ownLogs_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    measureProgram_ = QCoreApplication::applicationFilePath();
    SetOwnLog(QString::fromStdString(
        ResultsLogPath(QCoreApplication::applicationDirPath().toStdString() + "/", LogUse::Read)));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(ownLogs_);
    layout->addWidget(status_);
    layout->addWidget(splitter, 1);
    layout->addWidget(messages_);

    connect(measure, &QPushButton::clicked, this, &TCompareWindow::OpenMeasureDialog);
    connect(open_, &QPushButton::clicked, this, &TCompareWindow::OpenLogsClick);
    connect(useReference_, &QPushButton::clicked, this, &TCompareWindow::ReferenceClick);
    connect(csv, &QPushButton::clicked, this, &TCompareWindow::ExportCsvClick);
    connect(png, &QPushButton::clicked, this, &TCompareWindow::ExportChartsClick);
    connect(quietOnly_, &QCheckBox::toggled, this, &TCompareWindow::SetQuietOnly);
    connect(groupBy_, &QComboBox::activated, this, [this](int index) {
        SetGroupBy(static_cast<TGroupBy>(groupBy_->itemData(index).toInt()));
    });
    connect(table_, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { SetReference(model_.MachineAt(index.row())); });
    connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &TCompareWindow::RebuildRuns);
    connect(&model_, &TMachineModel::Changed, this, &TCompareWindow::RebuildCharts);
    RebuildCharts();
    RebuildRuns();
}

TCompareWindow::~TCompareWindow()
{
    StopLoading();
}

void TCompareWindow::closeEvent(QCloseEvent* event)
{
    StopLoading();
    QWidget::closeEvent(event);
}

void TCompareWindow::StopLoading()
{
    if (!stop_) return;
    stop_->store(true);
    for (const QString& path : loading_) WakeFifoReader(path.toLocal8Bit().toStdString());
}

void TCompareWindow::AddLogs(const QStringList& paths)
{
    if (busy_) {
        queued_ << paths;
        return;
    }
    QStringList open;
    if (const TMachineTable* table = Table())
        for (const auto& log : table->Logs) open << log->Path;
    const QStringList added = LogsToRead(paths, open, repeated_);
    if (added.isEmpty()) {
        ShowMessages();
        return;
    }
    TRequest request;
    request.NewPaths = added;
    request.By = by_;
    request.SameMachines = Table() != nullptr;
    if (const TMachineTable* table = Table()) request.Reference = table->Reference;
    request.ReferenceName = std::exchange(referenceName_, QString());
    Start(std::move(request));
}

void TCompareWindow::ChooseReference(const QString& name)
{
    referenceName_ = name;
}

void TCompareWindow::SetReference(std::size_t machine)
{
    if (busy_ || !Table() || machine >= Table()->Grouping.Machines.size()) return;
    TRequest request;
    request.By = by_;
    request.Reference = machine;
    request.SameMachines = true;
    Start(std::move(request));
}

void TCompareWindow::SetGroupBy(TGroupBy by)
{
    if (busy_ || by == by_) return;
    by_ = by;
    groupBy_->setCurrentIndex(groupBy_->findData(static_cast<int>(by_)));
    if (!Table()) return;
    TRequest request;
    request.By = by_;
    Start(std::move(request));
}

void TCompareWindow::SetQuietOnly(bool quietOnly)
{
    if (quietOnly_->isChecked() != quietOnly) quietOnly_->setChecked(quietOnly);
    if (busy_ || quietOnly == quiet_) return;
    quiet_ = quietOnly;
    if (!Table()) return;
    TRequest request;
    request.By = by_;
    Start(std::move(request));
}

void TCompareWindow::Start(TRequest request)
{
    request.QuietOnly = quiet_;
    busy_ = true;
    for (QWidget* w : {static_cast<QWidget*>(open_), static_cast<QWidget*>(groupBy_),
                       static_cast<QWidget*>(useReference_), static_cast<QWidget*>(quietOnly_)})
        w->setEnabled(false);
    status_->setText(request.NewPaths.isEmpty() && request.Reread.isEmpty()
                         ? QStringLiteral("Comparing...")
                     : request.NewPaths.isEmpty()
                         ? QStringLiteral("Reading %1...").arg(request.Reread.join(", "))
                         : QStringLiteral("Reading %1...").arg(request.NewPaths.join(", ")));
    TLogList logs = Table() ? Table()->Logs : TLogList{};
    const QFont font = table_->font();
    const bool sameMachines = request.SameMachines;
    auto stop = stop_ = std::make_shared<std::atomic<bool>>(false);
    loading_ = request.NewPaths;
    auto* watcher = new QFutureWatcher<TComparison>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, sameMachines] {
        TComparison done = watcher->result();
        watcher->deleteLater();
        busy_ = false;
        loading_.clear();
        if (!done.Table) return;  // stopped
        for (QWidget* w : {static_cast<QWidget*>(open_), static_cast<QWidget*>(groupBy_),
                           static_cast<QWidget*>(useReference_), static_cast<QWidget*>(quietOnly_)})
            w->setEnabled(true);
        Show(std::move(done.Table), std::move(done.Widths), done.ReferenceError, sameMachines);
        if (std::exchange(rereadQueued_, false))
            RereadOwnLog();
        else if (!queued_.isEmpty())
            AddLogs(std::exchange(queued_, {}));
    });
    watcher->setFuture(QtConcurrent::run([logs, request, font, stop]() mutable {
        TComparison done;
        for (const QString& path : request.Reread) {
            const QString identity = LogIdentity(path);
            const auto open = std::find_if(logs.begin(), logs.end(), [&](const auto& log) {
                return LogIdentity(log->Path) == identity;
            });
            if (open != logs.end())
                *open = LoadLogRuns((*open)->Path, stop.get());
            else if (QFileInfo::exists(path))
                logs.push_back(LoadLogRuns(path, stop.get()));
        }
        for (const QString& path : request.NewPaths) {
            if (stop->load()) return done;
            logs.push_back(LoadLogRuns(path, stop.get()));
        }
        if (stop->load()) return done;
        TGrouping grouping = GroupMachines(logs, request.By, request.QuietOnly);
        std::size_t reference = 0;
        if (!request.ReferenceName.isEmpty()) {
            if (const auto found =
                    FindMachine(grouping, request.ReferenceName, done.ReferenceError))
                reference = *found;
        } else if (request.Reference && *request.Reference < grouping.Machines.size()) {
            reference = *request.Reference;
        }
        done.Table = std::make_shared<const TMachineTable>(
            CompareMachines(std::move(logs), std::move(grouping), reference));
        done.Widths = MachineColumnWidths(*done.Table, font, kCellMargin);
        return done;
    }));
}

void TCompareWindow::Show(std::shared_ptr<const TMachineTable> table, std::vector<int> widths,
                          const QString& referenceError, bool sameMachines)
{
    referenceError_ = referenceError;
    model_.SetTable(std::move(table), sameMachines);
    // The rows keep the order the table's header shows.
    const QHeaderView* header = table_->horizontalHeader();
    if (header->sortIndicatorSection() >= 0 && header->sortIndicatorSection() < kMachineColumns)
        model_.sort(header->sortIndicatorSection(), header->sortIndicatorOrder());
    for (int column = 0; column < static_cast<int>(widths.size()); ++column)
        table_->setColumnWidth(column, widths[static_cast<std::size_t>(column)]);
    const TMachineTable& t = *Table();
    for (std::size_t score = 0; score < kTableScoreCount; ++score) {
        const bool measured = AnyRuns(t, score);
        table_->setColumnHidden(MedianColumn(static_cast<int>(score)), !measured);
        table_->setColumnHidden(RatioColumn(static_cast<int>(score)), !measured);
    }
    // By machine or by description, as the runs chose where none was asked for.
    groupBy_->setCurrentIndex(groupBy_->findData(static_cast<int>(t.Grouping.By)));
    QString status = TableHeading(t);
    if (!t.Grouping.Machines.empty())
        status += QStringLiteral(
            " (double-click a machine, or select it and press Use as reference, to compare "
            "with it). Ratios above 1 are better than the reference.");
    if (!referenceError_.isEmpty())
        status += QStringLiteral("\nThe reference asked for was not found: ") + referenceError_;
    status_->setText(status);
    ShowMessages();
    RebuildRuns();
    if (!pendingCsv_.isEmpty()) {
        const QString path = std::exchange(pendingCsv_, QString());
        if (!ExportCsv(path))
            QMessageBox::warning(this, windowTitle(), QStringLiteral("Cannot write %1").arg(path));
    }
    emit Compared();
}

void TCompareWindow::ShowMessages()
{
    messages_->setText(MessagesText());
    messages_->setToolTip(MessagesTip());
}

QString TCompareWindow::MessagesText() const
{
    QStringList parts;
    if (const TMachineTable* t = Table())
        for (std::size_t i = 0; i < t->Logs.size(); ++i) {
            const TLogRuns& log = *t->Logs[i];
            const QString& name = t->Grouping.LogNames[static_cast<qsizetype>(i)];
            if (!log.Error.isEmpty())
                parts << QStringLiteral("%1: cannot be read: %2").arg(name, log.Error);
            if (!log.Skipped.empty())
                parts << QStringLiteral("%1: %2 skipped")
                             .arg(name)
                             .arg(log.Skipped.size() == 1
                                      ? QStringLiteral("1 line")
                                      : QStringLiteral("%1 lines").arg(log.Skipped.size()));
            if (log.Lines.empty() && log.Error.isEmpty())
                parts << name + QStringLiteral(": no result lines");
        }
    for (const QString& path : repeated_)
        parts << path + QStringLiteral(": open already, read once");
    if (const TMachineTable* t = Table()) {
        if (t->Grouping.Paired > 0)
            parts << QStringLiteral("%1 result lines counted once, as their records")
                         .arg(t->Grouping.Paired);
        parts << QuietMessages(t->Grouping);
    }
    parts << measureNotes_;
    if (parts.isEmpty()) return Table() ? QStringLiteral("No lines skipped.") : QString();
    return parts.join(QStringLiteral("; ")) + QStringLiteral(" (hover for the reasons)");
}

QString TCompareWindow::MessagesTip() const
{
    QStringList lines;
    if (const TMachineTable* t = Table())
        for (std::size_t i = 0; i < t->Logs.size(); ++i)
            lines << LogMessages(t->Grouping.LogNames[static_cast<qsizetype>(i)], t->Logs[i]->Error,
                                 t->Logs[i]->Skipped, t->Logs[i]->Lines.size(), kShownSkipped);
    return lines.join(QLatin1Char('\n'));
}

QString TCompareWindow::StatusText() const
{
    return status_->text();
}

QChart* TCompareWindow::RatioChartOf(int score) const
{
    return score >= 0 && score < static_cast<int>(ratioCharts_.size())
               ? ratioCharts_[static_cast<std::size_t>(score)]
               : nullptr;
}

QChart* TCompareWindow::RunsChartOf(int score) const
{
    return score >= 0 && score < static_cast<int>(runsCharts_.size())
               ? runsCharts_[static_cast<std::size_t>(score)]
               : nullptr;
}

bool TCompareWindow::ExportCsv(const QString& path) const
{
    const TMachineTable* table = Table();
    if (!table) return false;
    std::string csv = MachineCsvHeader();
    for (int row = 0; row < model_.rowCount(); ++row)
        AppendMachineCsvRow(csv, *table, model_.MachineAt(row));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return file.write(csv.data(), static_cast<qint64>(csv.size())) ==
               static_cast<qint64>(csv.size()) &&
           file.flush();
}

bool TCompareWindow::ExportCharts(const QString& path) const
{
    const TMachineTable* table = Table();
    if (!table) return false;
    while (vt::ShowNextChart(chartGrid_)) {
    }
    charts_->layout()->activate();
    const QPixmap charts = charts_->grab();
    const QString heading = TableHeading(*table);
    const QFontMetrics metrics(font());
    constexpr int kMargin = 12;
    const int width = std::max(charts.width(), 600);
    const QRect text =
        metrics.boundingRect(QRect(0, 0, width - 2 * kMargin, 100000), Qt::TextWordWrap, heading);
    QImage image(width, text.height() + 2 * kMargin + charts.height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font());
    painter.drawText(QRect(kMargin, kMargin, width - 2 * kMargin, text.height()), Qt::TextWordWrap,
                     heading);
    painter.drawPixmap(0, text.height() + 2 * kMargin, charts);
    painter.end();
    return image.save(path, "PNG");
}

void TCompareWindow::RebuildCharts()
{
    Clear(chartGrid_);
    ratioCharts_.clear();
    const TMachineTable* table = Table();
    const std::vector<std::size_t> machines =
        table ? model_.ChartedMachines() : std::vector<std::size_t>{};
    if (machines.empty()) {
        chartGrid_->addWidget(new QLabel(
            table ? QStringLiteral("Tick machines in the table to chart them.") : QString()));
        return;
    }
    ratioCharts_.assign(kTableScoreCount, nullptr);
    int shown = 0;
    for (std::size_t score = 0; score < kTableScoreCount; ++score) {
        if (!AnyRuns(*table, score)) continue;
        QChart* chart = RatioChart(*table, static_cast<int>(score), machines);
        // One chart a row: the names beside the bars need their room, and the
        // title and legend theirs.
        chartGrid_->addWidget(ChartView(chart, RatioChartHeight(machines.size())), shown++, 0);
        ratioCharts_[score] = chart;
    }
    QueueShowChart();
}

void TCompareWindow::RebuildRuns()
{
    Clear(runsGrid_);
    runsCharts_.assign(kTableScoreCount, nullptr);
    runsData_.reset();
    runsPending_ = false;
    const TMachineTable* table = Table();
    if (!table || table->Grouping.Machines.empty()) {
        runsTitle_->clear();
        return;
    }
    const QModelIndex current = table_->currentIndex();
    const std::size_t machine =
        current.isValid() ? model_.MachineAt(current.row()) : table->Reference;
    runsTitle_->setText(
        QStringLiteral("Runs of %1. %2 in log order, the order they were measured in (%3 lines; "
                       "select another machine in the table to see its runs).")
            .arg(machine + 1)
            .arg(MachineTitle(table->Grouping, machine))
            .arg(table->Grouping.Machines[machine].Runs()));
    // The machine's runs read once for every chart; whether each was quiet
    // is not known from a result line (every run counts as quiet).
    runsData_ = std::make_shared<TMachineRuns>();
    MachineRuns(table->Logs, table->Grouping, machine, *runsData_, &runsNotQuiet_);
    nextRunsChart_ = 0;
    runsShown_ = 0;
    runsPending_ = true;
    BuildNextRunsChart();
}

void TCompareWindow::BuildNextRunsChart()
{
    // One chart per pass of the event loop, so that the window answers
    // between them.
    if (!runsData_) return;
    for (; nextRunsChart_ < static_cast<int>(kTableScoreCount); ++nextRunsChart_) {
        const int score = nextRunsChart_;
        QChart* chart = RunsChart((*runsData_)[static_cast<std::size_t>(score)], score,
                                   runsNotQuiet_[static_cast<std::size_t>(score)]);
        if (!chart) continue;
        runsGrid_->addWidget(ChartView(chart, 300), runsShown_ / 2, runsShown_ % 2);
        runsCharts_[static_cast<std::size_t>(score)] = chart;
        ++runsShown_;
        ++nextRunsChart_;
        QueueShowChart();
        QTimer::singleShot(0, this, &TCompareWindow::BuildNextRunsChart);
        return;
    }
    runsData_.reset();
    runsPending_ = false;
}

void TCompareWindow::QueueShowChart()
{
    if (showQueued_) return;
    showQueued_ = true;
    QTimer::singleShot(0, this, &TCompareWindow::ShowNextChart);
}

void TCompareWindow::ShowNextChart()
{
    // Laying out and painting a chart takes milliseconds (the text of its
    // labels), and a page of them at once held the window for a tenth of a
    // second: one chart is shown per pass of the event loop, on the page in
    // view; the other page's wait until it is chosen.
    showQueued_ = false;
    QGridLayout* grid = charts_->isVisible() ? chartGrid_ : runs_->isVisible() ? runsGrid_ : nullptr;
    if (grid && vt::ShowNextChart(grid)) QueueShowChart();
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
    if (!path.isEmpty() && !ExportCsvWhenLoaded(path))
        QMessageBox::warning(this, windowTitle(), QStringLiteral("Cannot write %1").arg(path));
}

bool TCompareWindow::ExportCsvWhenLoaded(const QString& path)
{
    if (!busy_) return ExportCsv(path);
    pendingCsv_ = path;
    status_->setText(
        status_->text() +
        QStringLiteral("\nThe CSV is written to %1 once the logs are read.").arg(path));
    return true;
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
    if (current.isValid()) SetReference(model_.MachineAt(current.row()));
}

}  // namespace vt

namespace vt {

void TCompareWindow::SetOwnLog(const QString& resultsLog)
{
    ownLog_ = resultsLog;
    ownLogs_->setText(OwnLogsText());
}

QString TCompareWindow::OwnLogsText() const
{
    const QString records = QString::fromStdString(RecordsLogPathBeside(ownLog_.toStdString()));
    QString text = QStringLiteral(
                       "This PC's logs (the main window's Save and Measure this PC... "
                       "add to them): results %1, records %2")
                       .arg(QDir::toNativeSeparators(ownLog_), QDir::toNativeSeparators(records));
    if (!QFileInfo::exists(ownLog_)) text += QStringLiteral(" (none saved yet)");
    return text;
}

TMeasureDialog* TCompareWindow::OpenMeasureDialog()
{
    if (!measure_) {
        // The data folder the log goes into is made now, so that batch finds
        // the folder its --log names.
        QDir().mkpath(QFileInfo(ownLog_).absolutePath());
        measure_ = new TMeasureDialog(measureProgram_, ownLog_,
                                      LargestBlockMiB(TotalPhysMem32(ReadTotalPhysMem())), this);
        connect(measure_, &TMeasureDialog::RunSaved, this, &TCompareWindow::RunSaved);
        connect(measure_, &TMeasureDialog::Finished, this, &TCompareWindow::MeasureEnded);
    }
    measure_->show();
    measure_->raise();
    return measure_;
}

void TCompareWindow::RunSaved(const TRunRecord& record)
{
    if (record.Run == 1) notQuiet_.clear();
    if (record.Conditions && !record.Conditions->Quiet) notQuiet_ << QString::number(record.Run);
    measureNotes_.clear();
    if (!notQuiet_.isEmpty())
        measureNotes_ << QStringLiteral(
                             "%1 %2 of %3 measured here %4 not quiet: the figures "
                             "are not this machine's own")
                             .arg(notQuiet_.size() == 1 ? QStringLiteral("run")
                                                        : QStringLiteral("runs"))
                             .arg(notQuiet_.join(QStringLiteral(", ")))
                             .arg(record.Runs)
                             .arg(notQuiet_.size() == 1 ? QStringLiteral("was")
                                                        : QStringLiteral("were"));
    RereadOwnLog();
}

void TCompareWindow::MeasureEnded(const TMeasureEnd&)
{
    ownLogs_->setText(OwnLogsText());
}

void TCompareWindow::RereadOwnLog()
{
    if (busy_) {
        rereadQueued_ = true;
        return;
    }
    TRequest request;
    request.Reread = {ownLog_, QString::fromStdString(RecordsLogPathBeside(ownLog_.toStdString()))};
    request.By = by_;
    // The runs are added at the ends of the logs: when they are the last
    // logs, the machines so far keep their numbers and new ones come after.
    const TMachineTable* table = Table();
    request.SameMachines = table && table->Logs.size() >= 2;
    if (request.SameMachines) {
        const std::size_t n = table->Logs.size();
        QStringList last = {LogIdentity(table->Logs[n - 2]->Path),
                            LogIdentity(table->Logs[n - 1]->Path)};
        for (const QString& path : request.Reread)
            request.SameMachines = request.SameMachines && last.contains(LogIdentity(path));
    }
    if (table) request.Reference = table->Reference;
    Start(std::move(request));
}

}  // namespace vt
