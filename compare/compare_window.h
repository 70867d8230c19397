// The Compare window: the machine table of one or more results logs, one
// ratio chart per score over the machines ticked in the table (in the table's
// order), and the runs of the current machine over time. Logs are read, and
// machines grouped and compared, off the GUI thread, so that a log of a
// million lines does not stall the window; the controls that would start
// another comparison wait meanwhile. Closing the window stops a load at once,
// a named pipe without a writer included. The runs of a machine are drawn as
// the charts' pixels can show them, so that 100,000 runs draw as quickly as
// a few hundred.
#pragma once

#include <QStringList>
#include <QWidget>
#include <atomic>
#include <memory>
#include <optional>

#include "compare/machine_model.h"

class QChart;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QPushButton;
class QTableView;

namespace vt {

class TMeasureDialog;
struct TMeasureEnd;
struct TRunRecord;

class TCompareWindow : public QWidget {
    Q_OBJECT
public:
    explicit TCompareWindow(TGroupBy groupBy = TGroupBy::Auto, QWidget* parent = nullptr);
    ~TCompareWindow() override;

    // Reads the logs off the GUI thread and compares again when done. A log
    // that is open already is not read again; the foot of the window says so.
    void AddLogs(const QStringList& paths);
    // The machine to compare with once the logs are read, as --reference
    // takes it (a name or a number).
    void ChooseReference(const QString& name);
    void SetReference(std::size_t machine);
    void SetGroupBy(TGroupBy by);
    // Leaves out the runs whose record says they were not quiet, and
    // compares again.
    void SetQuietOnly(bool quietOnly);
    // A load or comparison runs, or the runs' charts are still being built.
    bool Loading() const { return busy_ || runsPending_; }

    // This PC's results log (the records log lies beside it): where the
    // window says they are, and where "Measure this PC..." saves its runs.
    void SetOwnLog(const QString& resultsLog);
    QString OwnLogsText() const;
    // The executable the measurement runs; the program's own by default.
    void SetMeasureProgram(const QString& program) { measureProgram_ = program; }
    // Opens "Measure this PC..." (made once, kept while the window lives).
    TMeasureDialog* OpenMeasureDialog();
    TMeasureDialog* MeasureDialog() const { return measure_; }

    TMachineModel& Model() { return model_; }
    const TMachineTable* Table() const { return model_.Table(); }
    // The ratio chart of `score` as shown, nullptr before any machine.
    QChart* RatioChartOf(int score) const;
    QChart* RunsChartOf(int score) const;
    QWidget* Charts() const { return charts_; }
    QString MessagesText() const;
    QString MessagesTip() const;
    QString StatusText() const;

    bool ExportCsv(const QString& path) const;
    // Export CSV as the button does it: during a load, the CSV is written
    // once the load is done, and the window says so; false where it cannot
    // be written now.
    bool ExportCsvWhenLoaded(const QString& path);
    bool ExportCharts(const QString& path) const;

signals:
    // A comparison finished and is shown.
    void Compared();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct TRequest {
        QStringList NewPaths;
        TGroupBy By = TGroupBy::Description;
        bool QuietOnly = false;
        std::optional<std::size_t> Reference;
        QString ReferenceName;
        bool SameMachines = false;
        QStringList Reread;  // logs read again (runs were added); added when not open
    };
    void Start(TRequest request);
    void Show(std::shared_ptr<const TMachineTable> table, std::vector<int> widths,
              const QString& referenceError, bool sameMachines);
    void ShowMessages();
    void RebuildCharts();
    void RebuildRuns();
    void BuildNextRunsChart();
    void QueueShowChart();
    void ShowNextChart();
    void OpenLogsClick();
    void ExportCsvClick();
    void ExportChartsClick();
    void ReferenceClick();
    void RereadOwnLog();
    void RunSaved(const TRunRecord& record);
    void MeasureEnded(const TMeasureEnd& end);
    // Tells the load in progress to stop and wakes it where it waits for a
    // named pipe's writer.
    void StopLoading();

    TMachineModel model_;
    TGroupBy by_;
    bool quiet_ = false;     // quiet runs only
    QString referenceName_;  // to choose once the logs are read
    QStringList queued_;     // logs added while a comparison ran
    QStringList repeated_;   // logs named again, read once
    QString referenceError_;
    bool busy_ = false;
    bool rereadQueued_ = false;  // the own log changed while a comparison ran
    QString ownLog_;
    QString measureProgram_;
    QStringList measureNotes_;  // what the foot says of the last measurement
    QStringList notQuiet_;      // its runs that were not quiet
    TMeasureDialog* measure_ = nullptr;
    QLabel* ownLogs_;
    std::shared_ptr<std::atomic<bool>> stop_;  // the load in progress stops when set
    QStringList loading_;                      // the logs it reads
    QString pendingCsv_;                       // to write once the load is done
    // The runs charts of the current machine, built one per pass of the
    // event loop: its runs, the next score to chart and the charts so far.
    std::shared_ptr<TMachineRuns> runsData_;
    TMachineRunFlags runsNotQuiet_;  // beside runsData_: the runs that were not quiet
    int nextRunsChart_ = 0;
    int runsShown_ = 0;
    bool runsPending_ = false;
    bool showQueued_ = false;  // a chart is to be shown on the next pass
    QTableView* table_;
    QComboBox* groupBy_;
    QCheckBox* quietOnly_ = nullptr;
    QPushButton* open_;
    QPushButton* useReference_;
    QLabel* status_;
    QLabel* messages_;
    QWidget* charts_;
    QGridLayout* chartGrid_;
    QWidget* runs_;
    QGridLayout* runsGrid_;
    QLabel* runsTitle_;
    std::vector<QChart*> ratioCharts_;
    std::vector<QChart*> runsCharts_;
};

}  // namespace vt
