#include "sysinfo/sysinfo.h"

#include "platform/cpu_x86.h"

namespace vt {

namespace {

constexpr std::uint32_t kMmxFlag = 0x800000;

std::string Num(unsigned value)
{
    return std::to_string(value);
}

// The four characters of one vendor word, lowest byte first; a zero byte
// stays a character.
void AppendWord(std::string& text, std::uint32_t word)
{
    for (int i = 0; i < 4; ++i) text.push_back(static_cast<char>((word >> (8 * i)) & 0xFF));
}

std::string IntelModel(unsigned family, unsigned model)
{
    switch (family) {
        case 4:
            switch (model) {
                case 1:
                    return "Intel 486DX Processor";
                case 2:
                    return "Intel 486SX Processor";
                case 3:
                    return "Intel DX2 Processor";
                case 5:
                    return "Intel SX2 Processor";
                case 7:
                    return "Write-Back Enhanced Intel DX2 Processor";
                case 8:
                    return "Intel DX4 Processor";
                default:
                    return "Intel 486 Processor";  // 0, 4, 6, 9 to 15
            }
        case 5:
            return "Pentium";
        case 6:
            switch (model) {
                case 1:
                    return "Pentium Pro";
                case 3:
                    return "Pentium II";
                default:
                    return "P6 (Model " + Num(model) + ")";
            }
        default:
            return "P" + Num(family);
    }
}

std::string CyrixModel(unsigned family)
{
    switch (family) {
        case 5:
            return "Cyrix 6x86";
        case 6:
            return "Cyrix M2";
        default:
            return Num(family) + "x86";
    }
}

std::string AmdModel(unsigned family, unsigned model)
{
    switch (family) {
        case 4:
            return "Am486 or Am5x86";
        case 5:
            switch (model) {
                case 0:
                case 1:
                case 2:
                case 3:
                    return "AMD-K5 (Model " + Num(model) + ")";
                case 6:
                    return "AMD-K6";
                default:
                    return "Unknown AMD Model";  // 4, 5, 7 to 15
            }
        default:
            return "Unknown AMD Chip";
    }
}

}  // namespace

TCpuInfo DecodeCPUID(const TCpuidRegisters& regs)
{
    TCpuInfo info;  // Family 4, everything else 0 or empty
    std::uint32_t w1 = 0, w2 = 0, w3 = 0;
    if (regs.Present) {
        w1 = regs.VendorEbx;
        w2 = regs.VendorEdx;
        w3 = regs.VendorEcx;
        const std::uint32_t sig = regs.Signature;
        info.Features = regs.FeatureFlags;
        info.CpuType = static_cast<std::uint8_t>((sig >> 12) & 3);
        info.Family = static_cast<std::uint8_t>((sig >> 8) & 0xF);
        info.Model = static_cast<std::uint8_t>((sig >> 4) & 0xF);
        info.Stepping = static_cast<std::uint8_t>(sig & 0xF);
    }

    // No vendor words and family 4: a processor without the instruction.
    if (w1 == 0 && w2 == 0 && w3 == 0 && info.Family == 4) {
        info.VendorID = "Unknown";
        info.Vendor = "Unknown";
        info.ModelName = "Generic 486";
        return info;
    }

    AppendWord(info.VendorID, w1);
    AppendWord(info.VendorID, w2);
    AppendWord(info.VendorID, w3);

    if (info.VendorID == "GenuineIntel") {
        info.Vendor = "Intel";
        info.ModelName = IntelModel(info.Family, info.Model);
    } else if (info.VendorID == "CyrixInstead") {
        info.Vendor = "Cyrix";
        info.ModelName = CyrixModel(info.Family);
    } else if (info.VendorID == "AuthenticAMD") {
        info.Vendor = "AMD";
        info.ModelName = AmdModel(info.Family, info.Model);
    } else {
        info.Vendor = "Unknown";
        info.ModelName = "Unknown";
    }
    return info;
}

TCpuidRegisters ReadCpuidRegisters()
{
    TCpuidRegisters regs;
    if (!CpuidPresent()) return regs;
    regs.Present = true;
    const TCpuidResult leaf0 = Cpuid(0);
    regs.VendorEbx = leaf0.Ebx;
    regs.VendorEdx = leaf0.Edx;
    regs.VendorEcx = leaf0.Ecx;
    // Leaf 1 is read without checking the highest leaf of leaf 0: every
    // processor with the instruction has it.
    const TCpuidResult leaf1 = Cpuid(1);
    regs.Signature = leaf1.Eax;
    regs.FeatureFlags = leaf1.Edx;
    return regs;
}

TCpuInfo ReadCPUID()
{
    return DecodeCPUID(ReadCpuidRegisters());
}

bool CheckFpuDivision()
{
    // The operands are read through volatile so that the compiler cannot
    // work the result out at build time in a precision of its own: the
    // check is of this floating-point unit, at extended precision, each step
    // rounded to long double.
    volatile double x = 2658955.0;
    volatile double y = 3.141592653589793;
    volatile double limit = 1.0;
    const long double xe = x;
    const long double ye = y;
    const long double q = xe / ye;
    const long double p = q * ye;
    const long double r = xe - p;
    return r < static_cast<long double>(limit);
}

TCpuInfo GetCPUInfo()
{
    return GetCPUInfo(ReadCpuidRegisters());
}

TCpuInfo GetCPUInfo(const TCpuidRegisters& regs)
{
    TCpuInfo info = DecodeCPUID(regs);
    info.FpuDivisionOK = CheckFpuDivision();
    info.HasMMX = (info.Features & kMmxFlag) != 0;
    return info;
}

}  // namespace vt
