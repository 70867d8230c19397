// The record of a batch run before its tests, and its Save: the same facts
// and the same logs as the window's Save.
#pragma once

#include <string>

#include "app/environment.h"
#include "app/run_record_facts.h"
#include "batch/batch_options.h"
#include "results/run_record.h"

namespace vt {

// The machine's facts, the description and label (the options' or the
// window's defaults: the vendor and the clock measured at start-up, the
// disk's size in the locale's form), the tests and the number of runs.
TRunRecord BatchRecord(const TEnvironment& env, const TBatchOptions& options,
                       const TStartupFacts& startup);

// Appends the run's result line to the results log `log` and its record to
// the records log beside it. A failure raises EInOutError, with `failedLog`
// set to the log it failed on.
void SaveBatchRun(const std::string& log, const TRunRecord& record, std::string& failedLog);

}  // namespace vt
