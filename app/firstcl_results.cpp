// The Result page: Save and Clear.
#include "app/firstcl_.h"

#include <QLineEdit>
#include <algorithm>

#include "app/widgets/memo.h"
#include "platform/local_time.h"
#include "platform/machine.h"
#include "results/log_location.h"
#include "results/records_log.h"
#include "results/results_log.h"
#include "results/score_table.h"

namespace vt {

// Appends the current result line to the results log and the run's whole
// record to the records log beside it. The memo is a separate record: Save
// neither adds to it nor switches pages.
void T_fVesktest::Button2Click(QObject*)
{
    const std::string log = ResultsLogPath(Env().ExeDir);
    TRunRecord record = RunRecord();
    results_log::Append(log, record.Line);
    records_log::Append(RecordsLogPathBeside(log), record);
}

TRunRecord T_fVesktest::RunRecord() const
{
    TRunRecord r;
    FillMachineFacts(r, env_, Startup);
    // A test has run in this session when one of its scores is a figure.
    for (const TScoreRow& row : kScoreTable)
        if (Scores.*row.Value != 0 &&
            std::find(r.Tests.begin(), r.Tests.end(), row.Test) == r.Tests.end())
            r.Tests.push_back(row.Test);
    std::sort(r.Tests.begin(), r.Tests.end());
    r.Scores = Scores;
    r.Description = Edit7->text().toStdString();
    r.Label = Edit13->text().toStdString();
    r.Started = Iso8601(LocalTimeNow());
    r.LoadAverage = LoadAverage();
    auto ran = [&](int test) {
        return std::find(r.Tests.begin(), r.Tests.end(), test) != r.Tests.end();
    };
    if (ran(3)) r.Shapes = LastShapes;
    if (ran(4) && !LastFile.empty()) FillFileFacts(r, LastFile);
    if (ran(5)) r.MemoryBlockMiB = LastBlockMiB;
    r.Conditions = RunConditions(r.Tests);
    r.Line = FormatResultLine();
    return r;
}

// Empties the results memo; the log is untouched.
void T_fVesktest::Button4Click(QObject*)
{
    List->ClearLines();
}

}  // namespace vt
