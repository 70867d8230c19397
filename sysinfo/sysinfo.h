// Processor identification through the identification instruction (CPUID).
//
// ReadCPUID reads the raw registers and hands them to DecodeCPUID, which
// holds the whole model table; the decoding depends on nothing but the
// register values, so every row of the table can be checked without the
// processor that has it. Only the base family and model are decoded: a
// current processor is classified by those alone and lands on one of the
// generic rows ("P%d", "P6 (Model %d)", "Unknown AMD Chip").
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

// What the identification instruction reported. With Present false the
// other fields are ignored.
struct TCpuidRegisters {
    bool Present = false;
    std::uint32_t VendorEbx = 0;     // leaf 0: the first four vendor characters
    std::uint32_t VendorEdx = 0;     // leaf 0: the next four
    std::uint32_t VendorEcx = 0;     // leaf 0: the last four
    std::uint32_t Signature = 0;     // leaf 1 EAX
    std::uint32_t FeatureFlags = 0;  // leaf 1 EDX
};

// ReadCPUID, then the division check and the MMX flag.
TCpuInfo GetCPUInfo();

// The same over given registers: DecodeCPUID, then the division check and
// the MMX flag.
TCpuInfo GetCPUInfo(const TCpuidRegisters& regs);

// Every field but HasMMX and FpuDivisionOK.
TCpuInfo ReadCPUID();

// The record ReadCPUID builds from the given registers: every field but
// HasMMX and FpuDivisionOK.
TCpuInfo DecodeCPUID(const TCpuidRegisters& regs);

// The registers of this processor: leaf 0 and leaf 1 when the ID-flag test
// finds the instruction; Present false otherwise.
TCpuidRegisters ReadCpuidRegisters();

// True when the floating-point unit divides correctly at extended precision.
bool CheckFpuDivision();

}  // namespace vt
