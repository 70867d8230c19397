// What a batch run writes on standard output, one record per run of the
// tests: the result line as the window writes it (Windows-1251, the locale's
// separators), or a CSV row (under one header row, before the first run's
// row), or the run's record as one JSON object on a line of its own (JSON
// Lines). CSV and JSON are UTF-8 with "." as decimal separator whatever the
// locale, every score to its last digit, the texts whole; the score of a
// test that did not run is empty in CSV and null in JSON.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "batch/batch_options.h"
#include "platform/format_settings.h"
#include "results/run_record.h"
#include "results/scores.h"

namespace vt {

// The eight scores in the result line's order, each with the test that
// measures it, its name in the header and its unit.
struct TBatchScore {
    int Test;
    const char* Name;
    const char* Unit;
    double TScores::*Value;
};
const std::array<TBatchScore, 8>& BatchScores();

// The CSV header row's names, the JSON object's members in order.
const std::vector<std::string>& BatchFieldNames();

// Whether `test` is among the tests the record ran.
bool Ran(const TRunRecord& record, int test);

// The result line of the run: the Windows-1251 form of the description and
// label, a character the code page lacks as "?".
std::string BatchResultLine(const TRunRecord& record, const FormatSettings& fs);

// Standard output's text for the run in `record`, ending in a line feed: the
// result line, a CSV row (after the header row for the first run), or the
// run's record as JSON (results/run_record_json.h).
std::string FormatBatchOutput(TBatchFormat format, const TRunRecord& record,
                              const FormatSettings& fs);

}  // namespace vt
