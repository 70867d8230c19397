#include "results/log_location.h"

#include "results/results_log.h"

namespace vt {

std::string ResultsLogPath(const std::string& exeDir) { return exeDir + kResultsLogName; }

}  // namespace vt
