#include "sysinfo/probes.h"

namespace vt {

// Skeleton: the probes land with the machine probes.
double MeasureCpuMHz() { return 0; }
std::int64_t ReadTotalPhysMem() { return 0; }
std::string TotalDiskSizeText(const FormatSettings&) { return "0.0"; }

}  // namespace vt
