#include "platform/cpu_layout.h"

#include <algorithm>
#include <map>
#include <set>

#include "platform/errors.h"

namespace vt {

namespace {

// The place of each id among the sorted distinct ids.
std::map<int, int> Places(const std::vector<TCpuFact>& cpus, int TCpuFact::*id)
{
    std::map<int, int> places;
    for (const TCpuFact& cpu : cpus) places.emplace(cpu.*id, 0);
    int place = 0;
    for (auto& [key, value] : places) value = place++;
    return places;
}

std::string Plural(std::size_t count, const char* word)
{
    return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

}  // namespace

int TCpuLayout::Smt() const
{
    std::size_t most = 1;
    for (const TPhysicalCore& core : Cores) most = std::max(most, core.Cpus.size());
    return static_cast<int>(most);
}

TCpuLayout BuildCpuLayout(const std::vector<TCpuFact>& cpus,
                          const std::vector<TCoreKindFact>& kinds, const std::vector<int>& allowed)
{
    TCpuLayout layout;
    std::set<int> machine;
    for (const TCpuFact& cpu : cpus) machine.insert(cpu.Cpu);
    layout.MachineCpus = static_cast<int>(machine.size());
    const std::set<int> permitted(allowed.begin(), allowed.end());

    std::vector<TCpuFact> used;
    for (const TCpuFact& cpu : cpus)
        if (permitted.count(cpu.Cpu)) used.push_back(cpu);
    std::sort(used.begin(), used.end(),
              [](const TCpuFact& a, const TCpuFact& b) { return a.Cpu < b.Cpu; });
    used.erase(std::unique(used.begin(), used.end(),
                           [](const TCpuFact& a, const TCpuFact& b) { return a.Cpu == b.Cpu; }),
               used.end());
    if (used.empty())
        throw Exception("None of the machine's " + std::to_string(layout.MachineCpus) +
                        " CPUs is allowed to this program");

    // The machine's kinds by rank; a kind only counts when the machine has two.
    std::vector<TCoreKindFact> ranked = kinds;
    std::sort(ranked.begin(), ranked.end(),
              [](const TCoreKindFact& a, const TCoreKindFact& b) { return a.Rank < b.Rank; });
    const bool hybrid = ranked.size() > 1;
    std::map<int, int> kindIndex;  // rank -> index into layout.Kinds
    if (hybrid) {
        std::set<int> usedRanks;
        for (const TCpuFact& cpu : used) usedRanks.insert(cpu.KindRank);
        for (std::size_t place = 0; place < ranked.size(); ++place) {
            if (!usedRanks.count(ranked[place].Rank)) continue;
            TCoreKind kind;
            kind.Rank = ranked[place].Rank;
            kind.Name = ranked[place].Name;
            if (kind.Name.empty())
                kind.Name = place + 1 == ranked.size() ? "performance"
                            : place == 0               ? "efficiency"
                                                       : "kind " + std::to_string(place + 1);
            kindIndex[kind.Rank] = static_cast<int>(layout.Kinds.size());
            layout.Kinds.push_back(kind);
        }
    }

    const std::map<int, int> packages = Places(cpus, &TCpuFact::Package);
    const std::map<int, int> nodes = Places(cpus, &TCpuFact::NumaNode);
    std::map<int, std::size_t> coreOf;  // the system's core id -> index into layout.Cores
    std::set<int> usedPackages, usedNodes;
    for (const TCpuFact& cpu : used) {
        layout.Cpus.push_back(cpu.Cpu);
        const auto [at, added] = coreOf.emplace(cpu.Core, layout.Cores.size());
        if (added) {
            TPhysicalCore core;
            core.Package = packages.at(cpu.Package);
            core.NumaNode = cpu.NumaNode < 0 ? 0 : nodes.at(cpu.NumaNode);
            const auto kind = kindIndex.find(cpu.KindRank);
            core.Kind = kind == kindIndex.end() ? -1 : kind->second;
            layout.Cores.push_back(core);
        }
        layout.Cores[at->second].Cpus.push_back(cpu.Cpu);
        usedPackages.insert(cpu.Package);
        if (cpu.NumaNode >= 0) usedNodes.insert(cpu.NumaNode);
        const auto kind = kindIndex.find(cpu.KindRank);
        if (kind != kindIndex.end()) layout.Kinds[kind->second].Cpus.push_back(cpu.Cpu);
    }
    layout.Packages = static_cast<int>(usedPackages.size());
    layout.NumaNodes = std::max<int>(1, static_cast<int>(usedNodes.size()));
    return layout;
}

std::string DescribeCpuLayout(const TCpuLayout& layout)
{
    std::string text = Plural(layout.Cpus.size(), "CPU");
    if (static_cast<int>(layout.Cpus.size()) < layout.MachineCpus)
        text += " (of " + std::to_string(layout.MachineCpus) + ")";
    text += ", " + Plural(layout.Cores.size(), "core") + ", " +
            Plural(static_cast<std::size_t>(layout.Packages), "package") + ", " +
            Plural(static_cast<std::size_t>(layout.NumaNodes), "NUMA node");
    for (const TCoreKind& kind : layout.Kinds)
        text += ", " + std::to_string(kind.Cpus.size()) + " " + kind.Name + " CPUs";
    return text;
}

}  // namespace vt
