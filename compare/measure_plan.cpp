#include "compare/measure_plan.h"

#include <algorithm>

#include "batch/batch_options.h"

namespace vt {

const std::vector<TMeasureTest>& MeasureTests()
{
    static const std::vector<TMeasureTest> tests{
        {1, "Create and Sort Lists"}, {2, "10^9 Cycles"},
        {3, "Draw Shapes"},           {4, "HDD Speed (File Reading)"},
        {5, "FillChar & ReadChar"},   {6, "Every Core"},
        {7, "Disk profile"},
    };
    return tests;
}

QStringList MeasureArguments(const TMeasureChoice& choice)
{
    QStringList tests;
    for (const int test : choice.Tests) tests << QString::number(test);
    QStringList a{QStringLiteral("batch"),      QStringLiteral("--format"),
                  QStringLiteral("json"),       QStringLiteral("--tests"),
                  tests.join(QLatin1Char(',')), QStringLiteral("--repeat"),
                  QString::number(choice.Runs)};
    const auto has = [&](int test) {
        return std::find(choice.Tests.begin(), choice.Tests.end(), test) != choice.Tests.end();
    };
    // A field is given only to the tests it is for, as batch wants it.
    const auto add = [&](bool used, const char* option, const QString& value) {
        if (used && !value.trimmed().isEmpty()) a << QString::fromLatin1(option) << value.trimmed();
    };
    if (has(4)) a << QStringLiteral("--file") << choice.File;
    add(has(5) || has(6), "--memory", choice.Memory);
    add(has(3), "--shapes", choice.Shapes);
    if (has(7) && !choice.DiskDir.isEmpty()) a << QStringLiteral("--disk-dir") << choice.DiskDir;
    add(has(7), "--disk-size", choice.DiskSize);
    add(has(7), "--disk-seconds", choice.DiskSeconds);
    // An empty field leaves the default to batch, which fills it as the
    // window does; a typed one is kept whole.
    if (!choice.Description.isEmpty()) a << QStringLiteral("--description") << choice.Description;
    if (!choice.Label.isEmpty()) a << QStringLiteral("--label") << choice.Label;
    a << QStringLiteral("--save") << QStringLiteral("--log") << choice.Log;
    return a;
}

std::optional<QString> MeasureProblem(const TMeasureChoice& choice, int largestBlockMiB)
{
    if (choice.Tests.empty()) return QStringLiteral("no test is chosen");
    if (choice.Runs < 1 || choice.Runs > kMaxRepeat)
        return QStringLiteral("the number of runs must be from 1 to %1").arg(kMaxRepeat);
    const TBatchCommand command =
        ParseBatchOptions(QStringList{QStringLiteral("vesktest")} + MeasureArguments(choice),
                          TBatchLimits{largestBlockMiB});
    if (command.Kind != TBatchCommand::TKind::Bad) return std::nullopt;
    // "vesktest batch: REASON\nUsage: ...": the reason alone.
    QString text = QString::fromStdString(command.Text);
    text = text.left(text.indexOf(QLatin1Char('\n')));
    const QString prefix = QStringLiteral("vesktest batch: ");
    if (text.startsWith(prefix)) text = text.mid(prefix.size());
    return text;
}

QString TimeLeftText(std::chrono::milliseconds elapsed, int done, int runs)
{
    if (done <= 0 || runs <= done) return {};
    const long long left = elapsed.count() * (runs - done) / done / 1000;
    if (left < 60) return QStringLiteral("about %1 s left").arg(std::max(1LL, left));
    if (left < 3600) return QStringLiteral("about %1 min %2 s left").arg(left / 60).arg(left % 60);
    return QStringLiteral("about %1 h %2 min left").arg(left / 3600).arg(left / 60 % 60);
}

TMeasureEnd::TKind MeasureEndKind(const TMeasureEnd& end)
{
    if (end.StartError.isEmpty() && end.CancelAsked &&
        (end.Crashed || end.ExitCode == 143 || end.ExitCode == 130))
        return TMeasureEnd::TKind::Stopped;
    if (end.StartError.isEmpty() && !end.Crashed && end.ExitCode == 0 && end.RunsKept == end.Runs)
        return TMeasureEnd::TKind::Done;
    return TMeasureEnd::TKind::Failed;
}

QString MeasureEndText(const TMeasureEnd& end)
{
    const QString kept = end.RunsKept == 1
                             ? QStringLiteral("1 finished run is")
                             : QStringLiteral("%1 finished runs are").arg(end.RunsKept);
    switch (MeasureEndKind(end)) {
        case TMeasureEnd::TKind::Done:
            return QStringLiteral("Done: %1 runs measured and saved.").arg(end.Runs);
        case TMeasureEnd::TKind::Stopped:
            return QStringLiteral("Stopped: %1 kept in the logs; the run under way is dropped.")
                .arg(kept);
        case TMeasureEnd::TKind::Failed:
            break;
    }
    QString why;
    if (!end.StartError.isEmpty())
        why = QStringLiteral("the measuring process could not start: ") + end.StartError;
    else if (end.Crashed)
        why = QStringLiteral("the measuring process crashed or was killed");
    else if (end.ExitCode == 0)
        why = QStringLiteral("the measuring process ended after %1 of %2 runs")
                  .arg(end.RunsKept)
                  .arg(end.Runs);
    else
        why = QStringLiteral("the measuring process failed (exit status %1)").arg(end.ExitCode);
    QString text = QStringLiteral("Failed: ") + why + QLatin1Char('.');
    const QString message = end.ErrorOutput.trimmed();
    if (!message.isEmpty()) text += QStringLiteral("\nIt said: ") + message;
    return text + QStringLiteral("\n") + kept.left(1).toUpper() + kept.mid(1) +
           QStringLiteral(" kept in the logs.");
}

}  // namespace vt
