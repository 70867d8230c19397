// One measurement: a child `vesktest batch` process whose JSON Lines records
// come back as each run finishes. The child measures and saves; this side
// only reads, so a test that crashes takes the child with it, never the
// window. Cancel sends SIGTERM (batch keeps the runs finished before) and
// kills the child if it has not gone within a second.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QProcess>
#include <QTimer>

#include "compare/measure_plan.h"
#include "results/run_record.h"

namespace vt {

class TMeasureRun : public QObject {
    Q_OBJECT
public:
    // `program`: the program's own executable.
    TMeasureRun(const QString& program, const QStringList& arguments, int runs,
                QObject* parent = nullptr);
    ~TMeasureRun() override;

    void Start();
    void Cancel();
    bool Running() const { return process_.state() != QProcess::NotRunning; }
    int RunsDone() const { return done_; }
    int Runs() const { return runs_; }
    qint64 ElapsedMs() const { return clock_.isValid() ? clock_.elapsed() : 0; }
    qint64 ProcessId() const { return process_.processId(); }

signals:
    // A run finished and is saved.
    void RunFinished(const vt::TRunRecord& record);
    // A line the child wrote on standard error (a warning, a failure).
    void Message(const QString& line);
    // A part of a test began in run `run` (0: the start-up).
    void Part(int run, const QString& test, const QString& part);
    void Ended(const vt::TMeasureEnd& end);

private:
    void ReadRecords();
    void ReadMessages();
    void Finish(bool crashed, int exitCode, const QString& startError);

    QProcess process_;
    QString program_;
    QStringList arguments_;
    int runs_;
    int done_ = 0;
    bool cancel_ = false;
    bool ended_ = false;
    QString errors_;
    QByteArray errorLine_;
    QTimer kill_;
    QElapsedTimer clock_;
};

}  // namespace vt
