// "Measure this PC...": the tests, what each needs, the number of runs, the
// description and label, then the measurement in a child process with its
// progress, the time left and Cancel. The dialog is not modal: the Compare
// window stays usable while it measures, and each finished run is announced
// as soon as the child has saved it.
#pragma once

#include <QDialog>
#include <QPointer>
#include <map>

#include "compare/measure_plan.h"
#include "compare/measure_run.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace vt {

class TMeasureDialog : public QDialog {
    Q_OBJECT
public:
    // `program`: the executable the child runs; `log`: the results log the
    // runs are saved to (the records log lies beside it).
    TMeasureDialog(const QString& program, const QString& log, int largestBlockMiB,
                   QWidget* parent = nullptr);

    TMeasureChoice Choice() const;
    void SetChoice(const TMeasureChoice& choice);
    // Checks the choice and starts the child; false, with the reason shown,
    // when batch would refuse it.
    bool Start();
    void Cancel();
    bool Measuring() const { return run_ && run_->Running(); }
    TMeasureRun* Run() const { return run_; }

    QString ProblemText() const;
    QString ProgressText() const;  // "Run 2 of 5", the test under way, the time left
    QString EndText() const;
    QString RunsText() const;  // one line per finished run, the not quiet ones marked

signals:
    void RunSaved(const vt::TRunRecord& record);
    void Finished(const vt::TMeasureEnd& end);

private:
    void Finish(const TMeasureEnd& end);
    void ShowProgress();
    void SetChoosing(bool choosing);

    QString program_, log_;
    int largestBlockMiB_;
    std::map<int, QCheckBox*> tests_;
    QLineEdit *file_, *memory_, *shapes_, *description_, *label_;
    QLineEdit *diskDir_, *diskSize_, *diskSeconds_;
    QSpinBox* runs_;
    QLabel *problem_, *progressText_, *end_;
    QProgressBar* progress_;
    QPlainTextEdit* finished_;
    QPushButton *start_, *cancel_, *close_;
    QWidget* form_;
    QTimer tick_;
    QPointer<TMeasureRun> run_;
    QString under_;  // the test and part under way
};

}  // namespace vt
