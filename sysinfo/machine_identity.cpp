#include "sysinfo/machine_identity.h"

#include "platform/allowed_cpus.h"
#include "platform/machine.h"

namespace vt {

namespace {

constexpr std::uint32_t kHighestExtendedLeaf = 0x80000000;
constexpr std::uint32_t kFirstBrandLeaf = 0x80000002;
constexpr std::uint32_t kHypervisorBit = 1u << 31;
constexpr std::uint32_t kHypervisorLeaf = 0x40000000;

std::string CpuBrand()
{
    if (!CpuidPresent() || Cpuid(kHighestExtendedLeaf).Eax < kFirstBrandLeaf + 2) return {};
    return BrandString(
        {Cpuid(kFirstBrandLeaf), Cpuid(kFirstBrandLeaf + 1), Cpuid(kFirstBrandLeaf + 2)});
}

}  // namespace

std::string BrandString(const std::array<TCpuidResult, 3>& leaves)
{
    std::string brand;
    for (const TCpuidResult& leaf : leaves)
        for (const std::uint32_t word : {leaf.Eax, leaf.Ebx, leaf.Ecx, leaf.Edx})
            for (int byte = 0; byte < 4; ++byte) brand += static_cast<char>(word >> (8 * byte));
    brand.resize(brand.find('\0') == std::string::npos ? brand.size() : brand.find('\0'));
    const std::size_t first = brand.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return brand.substr(first, brand.find_last_not_of(' ') - first + 1);
}

std::optional<std::string> HypervisorVendorString(const TCpuidResult& leaf)
{
    std::string vendor;
    for (const std::uint32_t word : {leaf.Ebx, leaf.Ecx, leaf.Edx})
        for (int byte = 0; byte < 4; ++byte) vendor += static_cast<char>(word >> (8 * byte));
    vendor.resize(vendor.find('\0') == std::string::npos ? vendor.size() : vendor.find('\0'));
    for (const char c : vendor)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E)
            return std::nullopt;
    const std::size_t first = vendor.find_first_not_of(' ');
    if (first == std::string::npos) return std::nullopt;
    return vendor.substr(first, vendor.find_last_not_of(' ') - first + 1);
}

TMachineIdentity ReadMachineIdentity()
{
    TMachineIdentity id;
    id.CpuBrand = CpuBrand();
    id.LogicalCpus = LogicalProcessors();
    id.Hypervisor = CpuidPresent() && (Cpuid(1).Ecx & kHypervisorBit) != 0;
    id.Os = OperatingSystemName();
    id.Kernel = KernelName();
    id.Host = HostName();
    id.CpusAllowed = AllowedProcessors();
    if (id.Hypervisor) id.HypervisorVendor = HypervisorVendorString(Cpuid(kHypervisorLeaf));
    id.Arch = MachineArchitecture();
    id.Version = VESKTEST_VERSION;
    return id;
}

}  // namespace vt
