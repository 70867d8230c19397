// The Result page: Save and Clear.
#include "app/firstcl_.h"

#include "app/widgets/memo.h"
#include "results/results_log.h"

namespace vt {

// Appends the current result line to the log beside the executable. The memo
// is a separate record: Save neither adds to it nor switches pages.
void T_fVesktest::Button2Click(QObject*)
{
    results_log::Append(Env().ExeDir + kResultsLogName, FormatResultLine());
}

// Empties the results memo; the log is untouched.
void T_fVesktest::Button4Click(QObject*)
{
    List->ClearLines();
}

}  // namespace vt
