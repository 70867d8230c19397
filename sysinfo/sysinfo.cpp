#include "sysinfo/sysinfo.h"

namespace vt {

// Skeleton: the decoding lands with the processor identification.
TCpuInfo ReadCPUID()
{
    TCpuInfo info;
    info.VendorID = "Unknown";
    info.Vendor = "Unknown";
    info.ModelName = "Generic 486";
    return info;
}

bool CheckFpuDivision() { return true; }

TCpuInfo GetCPUInfo()
{
    TCpuInfo info = ReadCPUID();
    info.FpuDivisionOK = CheckFpuDivision();
    info.HasMMX = (info.Features & 0x800000u) != 0;
    return info;
}

}  // namespace vt
