// The conditions of a run as `compare --runs` prints them after its scores:
// whether it was quiet and what the system said while it ran, for a run
// read from a record; empty cells for a result line, which says nothing of
// them.
#pragma once

#include <string>

#include "results/run_record.h"

namespace vt {

// ",quiet,thread_cpu_share,..." to follow the runs' CSV header.
std::string ConditionsCsvHeader();
// The cells, each after a comma; `conditions` null: all empty.
void AppendConditionsCsv(std::string& out, const TRunConditions* conditions);

// "  Quiet  Thread%  Others%  Steal%" to follow the runs' text header.
std::string ConditionsTextHeader();
void AppendConditionsText(std::string& out, const TRunConditions* conditions);

}  // namespace vt
