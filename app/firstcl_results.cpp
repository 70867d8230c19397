// The Result page: Save and Clear.
#include "app/firstcl_.h"

#include "app/widgets/memo.h"
#include "results/log_location.h"
#include "results/results_log.h"

namespace vt {

// Appends the current result line to the results log. The memo
// is a separate record: Save neither adds to it nor switches pages.
void T_fVesktest::Button2Click(QObject*)
{
    results_log::Append(ResultsLogPath(Env().ExeDir), FormatResultLine());
}

// Empties the results memo; the log is untouched.
void T_fVesktest::Button4Click(QObject*)
{
    List->ClearLines();
}

}  // namespace vt
