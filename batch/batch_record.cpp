#include "batch/batch_record.h"

#include "platform/cp1251.h"
#include "results/records_log.h"
#include "results/results_log.h"
#include "runner/test_runner.h"

namespace vt {

TRunRecord BatchRecord(const TEnvironment& env, const TBatchOptions& options,
                       const TStartupFacts& startup)
{
    TRunRecord record;
    FillMachineFacts(record, env, startup);
    record.Description = options.Description.value_or(
        Cp1251ToUtf8(DefaultDescription(startup.Cpu.Vendor, startup.CpuMHz)));
    record.Label = options.Label.value_or(
        Cp1251ToUtf8(DefaultLabel(env.TotalDiskSizeText(env.Format, /*grouped=*/true))));
    record.Tests = options.Tests;
    record.Runs = options.Repeat;
    return record;
}

void SaveBatchRun(const std::string& log, const TRunRecord& record, std::string& failedLog)
{
    failedLog = log;
    results_log::Append(log, record.Line);
    failedLog = RecordsLogPathBeside(log);
    records_log::Append(failedLog, record);
}

}  // namespace vt
