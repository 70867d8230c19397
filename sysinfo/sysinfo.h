// Processor identification through the identification instruction (CPUID).
#pragma once

#include <cstdint>
#include <string>

namespace vt {

struct TCpuInfo {
    std::string VendorID;   // 12 characters from the instruction, or "Unknown"
    std::string Vendor;     // "Intel", "Cyrix", "AMD" or "Unknown"
    std::string ModelName;  // from the model table
    std::uint8_t CpuType = 0;
    std::uint8_t Family = 4;
    std::uint8_t Model = 0;
    std::uint8_t Stepping = 0;
    std::uint32_t Features = 0;  // leaf 1 EDX
    bool HasMMX = false;
    bool FpuDivisionOK = false;
};

// ReadCPUID, then the division check and the MMX flag.
TCpuInfo GetCPUInfo();

// Every field but HasMMX and FpuDivisionOK.
TCpuInfo ReadCPUID();

// True when the floating-point unit divides correctly at extended precision.
bool CheckFpuDivision();

}  // namespace vt
