#include "compare/measure_run.h"

#include <QProcessEnvironment>

#include "batch/batch.h"
#include "results/run_record_json.h"

namespace vt {

namespace {

// How long the child has after SIGTERM before it is killed.
constexpr int kStopGraceMs = 800;

}  // namespace

TMeasureRun::TMeasureRun(const QString& program, const QStringList& arguments, int runs,
                         QObject* parent)
    : QObject(parent), program_(program), arguments_(arguments), runs_(runs)
{
    kill_.setSingleShot(true);
    kill_.setInterval(kStopGraceMs);
    connect(&kill_, &QTimer::timeout, this, [this] {
        if (Running()) process_.kill();
    });
    connect(&process_, &QProcess::readyReadStandardOutput, this, &TMeasureRun::ReadRecords);
    connect(&process_, &QProcess::readyReadStandardError, this, &TMeasureRun::ReadMessages);
    connect(&process_, &QProcess::finished, this,
            [this](int exitCode, QProcess::ExitStatus status) {
                Finish(status == QProcess::CrashExit, exitCode, {});
            });
    connect(&process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) Finish(true, -1, process_.errorString());
    });
}

TMeasureRun::~TMeasureRun()
{
    // A window closed while measuring takes its measurement with it.
    if (Running()) {
        process_.disconnect(this);
        process_.terminate();
        if (!process_.waitForFinished(kStopGraceMs)) {
            process_.kill();
            process_.waitForFinished(kStopGraceMs);
        }
    }
}

void TMeasureRun::Start()
{
    clock_.start();
    // The child inherits the environment, the display included, so that the
    // drawing test paints where the window does.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kBatchPartLinesVariable), QStringLiteral("1"));
    process_.setProcessEnvironment(environment);
    process_.start(program_, arguments_);
}

void TMeasureRun::Cancel()
{
    if (!Running() || cancel_) return;
    cancel_ = true;
    process_.terminate();
    kill_.start();
}

void TMeasureRun::ReadRecords()
{
    while (process_.canReadLine()) {
        const QByteArray line = process_.readLine().trimmed();
        if (line.isEmpty()) continue;
        TRunRecord record;
        std::string error;
        if (!ParseRecordJson(std::string_view(line.constData(), line.size()), record, error)) {
            const QString message =
                QStringLiteral("a record that cannot be read: ") + QString::fromStdString(error);
            errors_ += message + QLatin1Char('\n');
            emit Message(message);
            continue;
        }
        ++done_;
        emit RunFinished(record);
    }
}

void TMeasureRun::ReadMessages()
{
    errorLine_ += process_.readAllStandardError();
    qsizetype end;
    while ((end = errorLine_.indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(errorLine_.left(end)).trimmed();
        errorLine_.remove(0, end + 1);
        if (line.isEmpty()) continue;
        const QString prefix = QString::fromLatin1(kBatchPartLinePrefix);
        if (line.startsWith(prefix)) {
            // "RUN/RUNS: TEST: PART"
            const QString rest = line.mid(prefix.size());
            const qsizetype test = rest.indexOf(QStringLiteral(": "));
            const qsizetype part = rest.indexOf(QStringLiteral(": "), test + 2);
            if (test > 0 && part > test)
                emit Part(rest.left(rest.indexOf(QLatin1Char('/'))).toInt(),
                          rest.mid(test + 2, part - test - 2), rest.mid(part + 2));
            continue;
        }
        // A run that was not quiet says so in its record too, where the
        // window marks it; the failure's own message must not drown in these.
        if (!line.endsWith(QStringLiteral("; its figures are not this machine's own")))
            errors_ += line + QLatin1Char('\n');
        emit Message(line);
    }
}

void TMeasureRun::Finish(bool crashed, int exitCode, const QString& startError)
{
    if (ended_) return;
    ended_ = true;
    kill_.stop();
    ReadRecords();
    ReadMessages();
    if (!errorLine_.trimmed().isEmpty()) {
        errors_ += QString::fromUtf8(errorLine_).trimmed();
        emit Message(QString::fromUtf8(errorLine_).trimmed());
    }
    TMeasureEnd end;
    end.Crashed = crashed;
    end.ExitCode = exitCode;
    end.StartError = startError;
    end.ErrorOutput = errors_;
    end.CancelAsked = cancel_;
    end.RunsKept = done_;
    end.Runs = runs_;
    end.Kind = MeasureEndKind(end);
    emit Ended(end);
}

}  // namespace vt
