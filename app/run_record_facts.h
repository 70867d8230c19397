// The parts of a run's record that the window's Save and batch take alike
// from the machine: one function each, so that both write the same record
// for the same run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/environment.h"
#include "results/run_record.h"

namespace vt {

// What the run's record takes from the start-up probes: the processor's
// vendor and model, the clock as measured at start-up, the installed memory.
struct TStartupFacts {
    TCpuInfo Cpu;
    double CpuMHz = 0;
    std::int64_t TotalPhysMem = 0;  // bytes, as ReadTotalPhysMem gives it
};

// Fills the machine's part of `record` (vendor, model, clock, memory, disk
// size, today's date, the toolkit's paint platform and the machine's
// identity: brand, processors, those allowed, hypervisor and its vendor,
// system, kernel, host, architecture, the program's version).
void FillMachineFacts(TRunRecord& record, const TEnvironment& env, const TStartupFacts& startup);

// Fills test 4's part: the file (file-system bytes, kept as UTF-8 text), its
// size where it can be read, and the type and kind of the file system that
// holds it, null where they cannot be found.
void FillFileFacts(TRunRecord& record, const std::string& file);

}  // namespace vt
