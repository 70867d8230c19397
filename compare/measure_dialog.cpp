#include "compare/measure_dialog.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "batch/batch_options.h"
#include "results/score_table.h"

namespace vt {

namespace {

QString RunLine(const TRunRecord& r)
{
    QStringList scores;
    for (const TScoreRow& row : kScoreTable)
        if (const double value = r.Scores.*row.Value; value > 0)
            scores << QStringLiteral("%1 %2 %3")
                          .arg(QString::fromUtf8(row.Title))
                          .arg(value, 0, 'f', row.Decimals)
                          .arg(QString::fromUtf8(row.Unit));
    QString line = QStringLiteral("Run %1 of %2: %3").arg(r.Run).arg(r.Runs).arg(scores.join(", "));
    if (r.Conditions && !r.Conditions->Quiet) {
        QStringList why;
        for (const std::string& d : r.Conditions->Disturbances) why << QString::fromStdString(d);
        line += QStringLiteral("  [not quiet: %1]").arg(why.join("; "));
    }
    return line;
}

}  // namespace

TMeasureDialog::TMeasureDialog(const QString& program, const QString& log, int largestBlockMiB,
                               QWidget* parent)
    : QDialog(parent), program_(program), log_(log), largestBlockMiB_(largestBlockMiB)
{
    setWindowTitle(QStringLiteral("Measure this PC"));
    setModal(false);

    form_ = new QWidget;
    auto* form = new QFormLayout(form_);
    auto* tests = new QVBoxLayout;
    for (const TMeasureTest& t : MeasureTests()) {
        auto* box = new QCheckBox(QStringLiteral("%1 %2").arg(t.Number).arg(
            // A button's "&" marks its shortcut key; the title's is a character.
            QString::fromUtf8(t.Title).replace(QLatin1Char('&'), QStringLiteral("&&"))));
        box->setObjectName(QStringLiteral("Test%1").arg(t.Number));
        // Test 4 needs a file, and test 7 writes one: both only when asked for.
        box->setChecked(t.Number != 4 && t.Number != 7);
        tests_[t.Number] = box;
        tests->addWidget(box);
    }
    form->addRow(QStringLiteral("Tests:"), tests);

    file_ = new QLineEdit;
    file_->setObjectName("File");
    file_->setPlaceholderText(QStringLiteral("a regular file of more than 1 MiB"));
    auto* browse = new QPushButton(QStringLiteral("Browse..."));
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(file_, 1);
    fileRow->addWidget(browse);
    form->addRow(QStringLiteral("File of test 4:"), fileRow);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("File of test 4"));
        if (!path.isEmpty()) {
            file_->setText(path);
            tests_[4]->setChecked(true);
        }
    });

    memory_ = new QLineEdit;
    memory_->setObjectName("Memory");
    memory_->setPlaceholderText(
        QStringLiteral("MiB, from 1 to %1 (empty: half the physical memory, at most about 1 GiB)")
            .arg(largestBlockMiB_));
    form->addRow(QStringLiteral("Block of tests 5 and 6:"), memory_);
    shapes_ = new QLineEdit;
    shapes_->setObjectName("Shapes");
    shapes_->setPlaceholderText(QStringLiteral("from 0 (empty: 10000)"));
    form->addRow(QStringLiteral("Ellipses of test 3:"), shapes_);
    diskDir_ = new QLineEdit;
    diskDir_->setObjectName("DiskDir");
    diskDir_->setPlaceholderText(
        QStringLiteral("the folder of its test file (empty: the home folder)"));
    auto* chooseDir = new QPushButton(QStringLiteral("Browse..."));
    auto* dirRow = new QHBoxLayout;
    dirRow->addWidget(diskDir_, 1);
    dirRow->addWidget(chooseDir);
    form->addRow(QStringLiteral("Folder of test 7:"), dirRow);
    connect(chooseDir, &QPushButton::clicked, this, [this] {
        const QString dir =
            QFileDialog::getExistingDirectory(this, QStringLiteral("Folder of test 7"));
        if (!dir.isEmpty()) {
            diskDir_->setText(dir);
            tests_[7]->setChecked(true);
        }
    });
    diskSize_ = new QLineEdit;
    diskSize_->setObjectName("DiskSize");
    diskSize_->setPlaceholderText(
        QStringLiteral("its test file in MiB, from 64; it needs that and 10% free (empty: 1024)"));
    form->addRow(QStringLiteral("File of test 7:"), diskSize_);
    diskSeconds_ = new QLineEdit;
    diskSeconds_->setObjectName("DiskSeconds");
    diskSeconds_->setPlaceholderText(QStringLiteral("seconds per figure, 1 to 60 (empty: 5)"));
    form->addRow(QStringLiteral("Seconds of test 7:"), diskSeconds_);

    runs_ = new QSpinBox;
    runs_->setObjectName("Runs");
    runs_->setRange(1, kMaxRepeat);
    runs_->setValue(kMeasureRunsDefault);
    form->addRow(QStringLiteral("Runs:"), runs_);
    auto* why = new QLabel(QStringLiteral(
        "Several runs, because a machine's figures vary from run to run: the verdicts of the "
        "Compare window need four runs or more of each machine."));
    why->setWordWrap(true);
    form->addRow(QString(), why);

    description_ = new QLineEdit;
    description_->setObjectName("Description");
    description_->setPlaceholderText(
        QStringLiteral("empty: vendor and clock, then / (as the window fills it)"));
    form->addRow(QStringLiteral("Description:"), description_);
    label_ = new QLineEdit;
    label_->setObjectName("Label");
    label_->setPlaceholderText(
        QStringLiteral("empty: the disk size, then gb/ (as the window fills it)"));
    form->addRow(QStringLiteral("Label:"), label_);
    form->addRow(QStringLiteral("Saved to:"), new QLabel(log_));

    problem_ = new QLabel;
    problem_->setObjectName("Problem");
    problem_->setWordWrap(true);
    problem_->setStyleSheet(QStringLiteral("color: #b00000"));

    progress_ = new QProgressBar;
    progress_->setObjectName("Progress");
    progressText_ = new QLabel;
    progressText_->setObjectName("ProgressText");
    end_ = new QLabel;
    end_->setObjectName("End");
    end_->setWordWrap(true);
    end_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    finished_ = new QPlainTextEdit;
    finished_->setObjectName("FinishedRuns");
    finished_->setReadOnly(true);
    finished_->setMaximumBlockCount(2000);

    start_ = new QPushButton(QStringLiteral("Start"));
    start_->setObjectName("Start");
    start_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("Cancel"));
    cancel_->setObjectName("Cancel");
    cancel_->setEnabled(false);
    close_ = new QPushButton(QStringLiteral("Close"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : {start_, cancel_, close_}) buttons->addWidget(b);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(form_);
    layout->addWidget(problem_);
    layout->addWidget(progress_);
    layout->addWidget(progressText_);
    layout->addWidget(finished_, 1);
    layout->addWidget(end_);
    layout->addLayout(buttons);

    connect(start_, &QPushButton::clicked, this, &TMeasureDialog::Start);
    connect(cancel_, &QPushButton::clicked, this, &TMeasureDialog::Cancel);
    connect(close_, &QPushButton::clicked, this, &QDialog::close);
    tick_.setInterval(500);
    connect(&tick_, &QTimer::timeout, this, &TMeasureDialog::ShowProgress);
    resize(640, 560);
}

TMeasureChoice TMeasureDialog::Choice() const
{
    TMeasureChoice c;
    for (const auto& [number, box] : tests_)
        if (box->isChecked()) c.Tests.push_back(number);
    c.File = file_->text();
    c.Memory = memory_->text();
    c.Shapes = shapes_->text();
    c.DiskDir = diskDir_->text();
    c.DiskSize = diskSize_->text();
    c.DiskSeconds = diskSeconds_->text();
    c.Runs = runs_->value();
    c.Description = description_->text();
    c.Label = label_->text();
    c.Log = log_;
    return c;
}

void TMeasureDialog::SetChoice(const TMeasureChoice& c)
{
    for (const auto& [number, box] : tests_)
        box->setChecked(std::find(c.Tests.begin(), c.Tests.end(), number) != c.Tests.end());
    file_->setText(c.File);
    memory_->setText(c.Memory);
    shapes_->setText(c.Shapes);
    diskDir_->setText(c.DiskDir);
    diskSize_->setText(c.DiskSize);
    diskSeconds_->setText(c.DiskSeconds);
    runs_->setValue(c.Runs);
    description_->setText(c.Description);
    label_->setText(c.Label);
}

bool TMeasureDialog::Start()
{
    if (Measuring()) return false;
    const TMeasureChoice choice = Choice();
    if (const auto problem = MeasureProblem(choice, largestBlockMiB_)) {
        problem_->setText(QStringLiteral("Cannot start: ") + *problem);
        return false;
    }
    problem_->clear();
    under_.clear();
    end_->clear();
    finished_->clear();
    if (run_) run_->deleteLater();
    run_ = new TMeasureRun(program_, MeasureArguments(choice), choice.Runs, this);
    connect(run_, &TMeasureRun::RunFinished, this, [this](const TRunRecord& record) {
        finished_->appendPlainText(RunLine(record));
        ShowProgress();
        emit RunSaved(record);
    });
    connect(run_, &TMeasureRun::Ended, this, &TMeasureDialog::Finish);
    // The child's warnings (a description the result line cuts, a run that
    // was not quiet) are listed with the runs as they come.
    connect(run_, &TMeasureRun::Message, this,
            [this](const QString& line) { finished_->appendPlainText(line); });
    connect(run_, &TMeasureRun::Part, this, [this](int, const QString& test, const QString& part) {
        under_ = test + QStringLiteral(", ") + part;
        ShowProgress();
    });
    SetChoosing(false);
    progress_->setRange(0, choice.Runs);
    progress_->setValue(0);
    run_->Start();
    tick_.start();
    ShowProgress();
    return true;
}

void TMeasureDialog::Cancel()
{
    if (!Measuring()) return;
    progressText_->setText(QStringLiteral("Stopping..."));
    run_->Cancel();
}

void TMeasureDialog::SetChoosing(bool choosing)
{
    form_->setEnabled(choosing);
    start_->setEnabled(choosing);
    cancel_->setEnabled(!choosing);
}

void TMeasureDialog::ShowProgress()
{
    if (!run_) return;
    const int done = run_->RunsDone();
    progress_->setValue(done);
    if (!run_->Running()) return;
    QString text =
        QStringLiteral("Run %1 of %2").arg(std::min(done + 1, run_->Runs())).arg(run_->Runs());
    if (!under_.isEmpty()) text += QStringLiteral(": ") + under_;
    const QString left =
        TimeLeftText(std::chrono::milliseconds(run_->ElapsedMs()), done, run_->Runs());
    text += left.isEmpty() ? QStringLiteral("; the time left is known after the first run")
                           : QStringLiteral("; ") + left;
    progressText_->setText(text);
    progress_->setFormat(
        QStringLiteral("run %1 of %2").arg(std::min(done + 1, run_->Runs())).arg(run_->Runs()));
}

void TMeasureDialog::Finish(const TMeasureEnd& end)
{
    tick_.stop();
    ShowProgress();
    progressText_->clear();
    progress_->setFormat(QStringLiteral("%1 of %2 runs").arg(end.RunsKept).arg(end.Runs));
    end_->setText(MeasureEndText(end));
    SetChoosing(true);
    emit Finished(end);
}

QString TMeasureDialog::ProblemText() const
{
    return problem_->text();
}
QString TMeasureDialog::ProgressText() const
{
    return progressText_->text();
}
QString TMeasureDialog::EndText() const
{
    return end_->text();
}
QString TMeasureDialog::RunsText() const
{
    return finished_->toPlainText();
}

}  // namespace vt
