#include "sysinfo/machine_identity.h"

#include "platform/machine.h"

namespace vt {

namespace {

constexpr std::uint32_t kHighestExtendedLeaf = 0x80000000;
constexpr std::uint32_t kFirstBrandLeaf = 0x80000002;
constexpr std::uint32_t kHypervisorBit = 1u << 31;

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

TMachineIdentity ReadMachineIdentity()
{
    TMachineIdentity id;
    id.CpuBrand = CpuBrand();
    id.LogicalCpus = LogicalProcessors();
    id.Hypervisor = CpuidPresent() && (Cpuid(1).Ecx & kHypervisorBit) != 0;
    id.Os = OperatingSystemName();
    id.Kernel = KernelName();
    id.Host = HostName();
    return id;
}

}  // namespace vt
