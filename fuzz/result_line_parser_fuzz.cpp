// Reading result lines back over arbitrary bytes: never crashes, every line
// it accepts is exactly what the line format writes for the values read, and
// a whole log gives each line once, as a record or as a skipped line with
// its reason.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "results/result_line.h"
#include "results/result_line_parser.h"
#include "results/results_log.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (const auto record = vt::ParseResultLine(bytes)) {
        const std::string again =
            vt::FormatResultLine(record->Scores, record->Description, record->DiskLabel,
                                 {record->DecimalSeparator, ' '});
        if (again != bytes) std::abort();
    }
    const vt::TParsedLog log = vt::ParseResultsLog(bytes);
    const std::size_t lines = vt::results_log::SplitLines(bytes).size();
    if (log.Records.size() + log.Skipped.size() > lines) std::abort();
    for (const vt::TSkippedLine& skipped : log.Skipped)
        if (skipped.LineNumber == 0 || skipped.LineNumber > lines ||
            vt::LineFaultText(skipped.Fault, skipped.Field).empty())
            std::abort();
    return 0;
}
