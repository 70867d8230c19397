// The records log "Result3.jsonl": the whole record of every saved run, one
// JSON object per line (results/run_record_json.h), each line ending in LF.
// It lies beside the results log it goes with, in the same folder, and every
// Save that appends a result line to the one appends the run's record, the
// line included, to the other.
//
// The guarantees are the results log's: a record goes to the system in one
// write at the end of the file, so that records of concurrent writers never
// interleave; a log whose last line was cut short (a writer killed in its
// write) gets a line end before the next record, so that the next record
// stays whole and the cut one is a line that does not parse (a writer that
// looks while another's write is under way may add a blank line, which
// readers pass over); a failure raises
// EInOutError naming the file and carrying the system's error code.
#pragma once

#include <string>

#include "results/run_record.h"

namespace vt {

inline constexpr const char* kRecordsLogName = "Result3.jsonl";

// The records log that goes with the results log at `resultsLogPath`: the
// same folder (the folder of the path as given, a link not followed), the
// name Result3.jsonl.
std::string RecordsLogPathBeside(const std::string& resultsLogPath);

namespace records_log {

// Appends `record` as one JSON line to the records log at `path`, created
// when missing (a link to a missing file creates its target, as the results
// log does).
void Append(const std::string& path, const TRunRecord& record);

}  // namespace records_log

}  // namespace vt
