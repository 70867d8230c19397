// A run's record as text: one JSON object on one line (batch's JSON Lines,
// the records log), one CSV row under a header row (batch's CSV), and the
// JSON read back.
//
// The JSON is UTF-8; numbers are written in the shortest text that reads
// back as the same double, with "."; a value the run does not have (a score
// of a test that did not run, a condition the system does not keep, the
// details of a test that did not run) is null. The scores are members named
// by the score table. Members, in order: description, disk_label, the
// scores, tests, cpu_vendor, cpu_model, cpu_mhz, memory_mib, disk_gb, date,
// paint_platform, file_system, storage_kind, run, runs, cpu_brand,
// logical_cpus, hypervisor, os, kernel, host, started, load_average,
// memory_block_mib, shapes, cpus_allowed, hypervisor_vendor, arch, version,
// file, file_bytes, every_core, disk, conditions, quiet, line.
//
// A text that is not valid UTF-8 (a host name in another encoding) has each
// byte that does not belong to a UTF-8 character written as the character
// with that byte's number (U+0080 to U+00FF), so that every record parses.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "results/run_record.h"

namespace vt {

// The record as one JSON object, without a line end.
std::string RecordToJson(const TRunRecord& record);

// The CSV header row and the record's row, without line ends: the same
// facts as the JSON, the nested objects' members prefixed with the object's
// name ("conditions_steal_pct"), a list of numbers as one cell of numbers
// separated by blanks ("1 2 5"), the list of core kinds as its JSON text;
// each cell as results/csv.h writes it. Every record has the same columns,
// absent values as empty cells.
std::vector<std::string> RecordCsvNames();
std::vector<std::string> RecordCsvCells(const TRunRecord& record);

// Reads one JSON record into `record`. A record is an object with at least
// the members description, disk_label and tests; members it does not know
// are passed over (a later program's records still read), a known member of
// the wrong kind is an error. On failure returns false with `error` saying
// why ("line: not valid JSON at byte 17"); `record` is then unspecified.
// Nesting deeper than 32 levels is refused, so that no input can exhaust
// the stack.
bool ParseRecordJson(std::string_view text, TRunRecord& record, std::string& error);

// Whether `line` may be a JSON record rather than a result line: its first
// byte other than a blank is "{". A result line whose description starts
// with "{" does too, so a reader tries the record first and the result line
// when that fails.
bool LooksLikeJsonRecord(std::string_view line);

}  // namespace vt
