// The reading of a run's record over arbitrary bytes: the reader never
// crashes or runs away, and what it accepts, written again, reads back to
// the same text (the writer's own output is a fixed point).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "results/run_record_json.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    vt::TRunRecord record;
    std::string error;
    if (!vt::ParseRecordJson(text, record, error)) {
        if (error.empty()) std::abort();  // a refusal always says why
        return 0;
    }
    const std::string written = vt::RecordToJson(record);
    vt::TRunRecord again;
    if (!vt::ParseRecordJson(written, again, error)) std::abort();
    if (vt::RecordToJson(again) != written) std::abort();
    if (vt::RecordCsvCells(record).size() != vt::RecordCsvNames().size()) std::abort();
    return 0;
}
