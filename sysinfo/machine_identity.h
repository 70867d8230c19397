// The machine a run measured, as a comparison across machines needs it
// named: the processor's own brand string beside the model table's name
// (which current processors all share: "P6 (Model 15)", "Unknown AMD
// Chip"), its logical processors, whether it runs under a hypervisor, the
// operating system, kernel and host name.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "platform/cpu_x86.h"

namespace vt {

struct TMachineIdentity {
    std::string CpuBrand;  // blanks trimmed; empty without the brand leaves
    int LogicalCpus = 1;
    bool Hypervisor = false;  // leaf 1, ECX bit 31
    std::string Os;
    std::string Kernel;
    std::string Host;
    int CpusAllowed = 1;                          // the logical processors this process may use
    std::optional<std::string> HypervisorVendor;  // leaf 0x40000000, under a hypervisor
    std::string Arch;                             // "x86_64"
    std::string Version;                          // the program's
};

// This machine.
TMachineIdentity ReadMachineIdentity();

// The brand string held by the registers of leaves 0x80000002 to 0x80000004
// (EAX, EBX, ECX, EDX of each, lowest byte first): up to the first zero
// byte, leading and trailing blanks trimmed.
std::string BrandString(const std::array<TCpuidResult, 3>& leaves);

// The hypervisor's vendor from leaf 0x40000000 (EBX, ECX, EDX, lowest byte
// first: "KVMKVMKVM", "Microsoft Hv"), up to the first zero byte, blanks
// trimmed; nothing when that leaves no printable text.
std::optional<std::string> HypervisorVendorString(const TCpuidResult& leaf);

}  // namespace vt
