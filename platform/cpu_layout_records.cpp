#include "platform/cpu_layout_records.h"

#include <map>
#include <set>

#include "platform/errors.h"

namespace vt {

namespace {

// Where the fields lie in a record: an 8-byte head (relationship, size),
// then the body. Processor (core, package) and NUMA node bodies both keep
// their group count at 22 and their group masks from 24, 16 bytes each (a
// 64-bit mask, a 16-bit group, padding); a processor body starts with its
// flags and efficiency class, a NUMA body with its node number.
constexpr std::size_t kHead = 8;
constexpr std::size_t kGroupCountAt = 22;
constexpr std::size_t kMasksAt = 24;
constexpr std::size_t kMaskSize = 16;

std::uint64_t Read(const std::uint8_t* at, std::size_t bytes)
{
    std::uint64_t value = 0;
    for (std::size_t i = bytes; i-- > 0;) value = value << 8 | at[i];
    return value;
}

void Write(std::vector<std::uint8_t>& out, std::uint64_t value, std::size_t bytes)
{
    // Bytes beyond the value's eight are zero (a shift by 64 or more is not).
    for (std::size_t i = 0; i < bytes; ++i)
        out.push_back(i < 8 ? static_cast<std::uint8_t>(value >> 8 * i) : std::uint8_t{0});
}

[[noreturn]] void Damaged()
{
    throw Exception("The system's description of its processors is damaged");
}

}  // namespace

TCpuLayout CpuLayoutFromRecords(const std::uint8_t* records, std::size_t size,
                                const std::vector<int>& allowed)
{
    std::map<int, TCpuFact> cpus;
    std::set<int> classes;
    int cores = 0, packages = 0;
    for (std::size_t at = 0; at < size;) {
        if (size - at < kHead) Damaged();
        const std::uint8_t* record = records + at;
        const auto relationship = static_cast<std::uint32_t>(Read(record, 4));
        const std::uint64_t recordSize = Read(record + 4, 4);
        if (recordSize < kHead || recordSize > size - at) Damaged();
        at += recordSize;
        if (relationship != kRelationProcessorCore && relationship != kRelationProcessorPackage &&
            relationship != kRelationNumaNode)
            continue;

        const std::uint8_t* body = record + kHead;
        const std::size_t bodySize = recordSize - kHead;
        if (bodySize < kMasksAt) Damaged();
        std::uint64_t groups = Read(body + kGroupCountAt, 2);
        // Systems before Windows 10 leave a NUMA node's count at 0 and give
        // one mask.
        if (relationship == kRelationNumaNode && groups == 0) groups = 1;
        if (bodySize < kMasksAt + groups * kMaskSize) Damaged();
        std::vector<int> members;
        for (std::uint64_t g = 0; g < groups; ++g) {
            const std::uint8_t* mask = body + kMasksAt + g * kMaskSize;
            const std::uint64_t bits = Read(mask, 8);
            const auto group = static_cast<int>(Read(mask + 8, 2));
            for (int bit = 0; bit < 64; ++bit)
                if (bits >> bit & 1) members.push_back(64 * group + bit);
        }

        for (const int cpu : members) {
            // A CPU no core record names is a core of its own.
            const auto [entry, added] = cpus.try_emplace(cpu);
            TCpuFact& fact = entry->second;
            if (added) fact.Core = -1 - cpu;
            fact.Cpu = cpu;
            switch (relationship) {
                case kRelationProcessorCore:
                    fact.Core = cores;
                    fact.KindRank = body[1];
                    break;
                case kRelationProcessorPackage:
                    fact.Package = packages;
                    break;
                default:
                    fact.NumaNode = static_cast<int>(Read(body, 4));
                    break;
            }
        }
        if (relationship == kRelationProcessorCore) {
            ++cores;
            classes.insert(body[1]);
        }
        if (relationship == kRelationProcessorPackage) ++packages;
    }

    std::vector<TCpuFact> facts;
    for (const auto& [cpu, fact] : cpus) facts.push_back(fact);
    std::vector<TCoreKindFact> kinds;
    for (const int rank : classes) kinds.push_back({rank, {}});
    return BuildCpuLayout(facts, kinds, allowed);
}

void TProcessorRecords::Masks(std::uint32_t relationship, std::uint8_t flags,
                              std::uint8_t efficiencyClass, std::uint32_t number,
                              const std::vector<int>& cpus)
{
    std::map<int, std::uint64_t> groups;
    for (const int cpu : cpus) groups[cpu / 64] |= std::uint64_t{1} << (cpu % 64);
    Write(bytes_, relationship, 4);
    Write(bytes_, kHead + kMasksAt + groups.size() * kMaskSize, 4);
    if (relationship == kRelationNumaNode) {
        Write(bytes_, number, 4);
        Write(bytes_, 0, 18);
    } else {
        Write(bytes_, flags, 1);
        Write(bytes_, efficiencyClass, 1);
        Write(bytes_, 0, 20);
    }
    Write(bytes_, groups.size(), 2);
    for (const auto& [group, mask] : groups) {
        Write(bytes_, mask, 8);
        Write(bytes_, static_cast<std::uint64_t>(group), 2);
        Write(bytes_, 0, 6);
    }
}

void TProcessorRecords::Core(const std::vector<int>& cpus, std::uint8_t efficiencyClass)
{
    // The flag says the core runs more than one logical CPU.
    Masks(kRelationProcessorCore, cpus.size() > 1 ? 1 : 0, efficiencyClass, 0, cpus);
}

void TProcessorRecords::Package(const std::vector<int>& cpus)
{
    Masks(kRelationProcessorPackage, 0, 0, 0, cpus);
}

void TProcessorRecords::NumaNode(std::uint32_t number, const std::vector<int>& cpus)
{
    Masks(kRelationNumaNode, 0, 0, number, cpus);
}

void TProcessorRecords::Other(std::uint32_t relationship, std::uint32_t bodySize)
{
    Write(bytes_, relationship, 4);
    Write(bytes_, kHead + bodySize, 4);
    Write(bytes_, 0, bodySize);
}

}  // namespace vt
