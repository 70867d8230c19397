#include "batch/batch_output.h"

#include <algorithm>

#include "platform/cp1251.h"
#include "results/csv.h"
#include "results/result_line.h"
#include "results/run_record_json.h"

namespace vt {

const std::array<TBatchScore, 8>& BatchScores()
{
    static const std::array<TBatchScore, 8> scores = {{
        {1, "ListCreateTime", "s", &TScores::ListCreateTime},
        {1, "SortTime", "s", &TScores::SortTime},
        {1, "SortOutputTime", "s", &TScores::SortOutputTime},
        {5, "FillMemSpeed", "MiB/s", &TScores::FillMemSpeed},
        {5, "ReadMemSpeed", "MiB/s", &TScores::ReadMemSpeed},
        {2, "CyclesPerSec", "M/s", &TScores::CyclesPerSec},
        {3, "DrawTime", "s", &TScores::DrawTime},
        {4, "HddSpeed", "MiB/s", &TScores::HddSpeed},
    }};
    return scores;
}

const std::vector<std::string>& BatchFieldNames()
{
    static const std::vector<std::string> names = RecordCsvNames();
    return names;
}

bool Ran(const TRunRecord& record, int test)
{
    return std::find(record.Tests.begin(), record.Tests.end(), test) != record.Tests.end();
}

std::string BatchResultLine(const TRunRecord& record, const FormatSettings& fs)
{
    return FormatResultLine(record.Scores, Utf8ToCp1251(record.Description),
                            Utf8ToCp1251(record.Label), fs);
}

std::string FormatBatchOutput(TBatchFormat format, const TRunRecord& record,
                              const FormatSettings& fs)
{
    if (format == TBatchFormat::Line) return BatchResultLine(record, fs) + "\n";
    if (format == TBatchFormat::Json) return RecordToJson(record) + "\n";
    std::string out;
    if (record.Run == 1) AppendCsvRecord(out, BatchFieldNames());
    AppendCsvRecord(out, RecordCsvCells(record));
    return out;
}

}  // namespace vt
