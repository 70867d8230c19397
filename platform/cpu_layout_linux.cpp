// The layout from hwloc: it reads sysfs, the cgroup's cpuset and the
// kernel's ranking of core kinds, so nothing here parses /proc or /sys.
#include <hwloc.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>

#include "platform/cpu_layout.h"
#include "platform/cpu_layout_hwloc.h"
#include "platform/errors.h"

namespace vt {

namespace {

struct TTopologyFree {
    void operator()(hwloc_topology* topology) const { hwloc_topology_destroy(topology); }
};
using TTopology = std::unique_ptr<hwloc_topology, TTopologyFree>;

struct TBitmapFree {
    void operator()(hwloc_bitmap_s* bitmap) const { hwloc_bitmap_free(bitmap); }
};
using TBitmap = std::unique_ptr<hwloc_bitmap_s, TBitmapFree>;

TBitmap NewBitmap()
{
    TBitmap bitmap(hwloc_bitmap_alloc());
    if (!bitmap) throw EOutOfMemory();
    return bitmap;
}

// A topology set up by `source` (synthetic, XML, or nothing for this
// machine) and loaded.
TTopology LoadTopology(const std::function<int(hwloc_topology_t)>& source, const std::string& what)
{
    hwloc_topology_t raw = nullptr;
    if (hwloc_topology_init(&raw) != 0) throw Exception("Cannot describe the processors: " + what);
    TTopology topology(raw);
    if (source && source(raw) != 0)
        throw Exception("Cannot describe the processors: " + what + " is not a topology");
    if (hwloc_topology_load(raw) != 0)
        throw Exception("Cannot describe the processors: " + what + " cannot be loaded");
    return topology;
}

std::vector<int> CpusOf(hwloc_const_bitmap_t set)
{
    std::vector<int> cpus;
    for (int cpu = hwloc_bitmap_first(set); cpu >= 0; cpu = hwloc_bitmap_next(set, cpu))
        cpus.push_back(cpu);
    return cpus;
}

// The name hwloc or the kernel gives a kind, where it gives one.
std::string KindName(const hwloc_info_s* infos, unsigned count)
{
    for (unsigned i = 0; i < count; ++i) {
        if (std::strcmp(infos[i].name, "CoreType") != 0) continue;
        if (std::strcmp(infos[i].value, "IntelCore") == 0) return "performance";
        if (std::strcmp(infos[i].value, "IntelAtom") == 0) return "efficiency";
    }
    return {};
}

TCpuLayout LayoutOf(hwloc_topology_t topology, const std::vector<int>& allowed)
{
    std::vector<TCpuFact> cpus;
    const int puCount = hwloc_get_nbobjs_by_type(topology, HWLOC_OBJ_PU);
    const int nodeCount = hwloc_get_nbobjs_by_type(topology, HWLOC_OBJ_NUMANODE);
    for (int i = 0; i < puCount; ++i) {
        const hwloc_obj_t pu = hwloc_get_obj_by_type(topology, HWLOC_OBJ_PU, i);
        TCpuFact fact;
        fact.Cpu = static_cast<int>(pu->os_index);
        // A system that shows no cores has one PU per core.
        const hwloc_obj_t core = hwloc_get_ancestor_obj_by_type(topology, HWLOC_OBJ_CORE, pu);
        fact.Core = core ? static_cast<int>(core->logical_index) : puCount + i;
        const hwloc_obj_t package = hwloc_get_ancestor_obj_by_type(topology, HWLOC_OBJ_PACKAGE, pu);
        fact.Package = package ? static_cast<int>(package->logical_index) : 0;
        // NUMA nodes hang beside the CPUs, not above them: the node is the
        // one whose CPUs include this one.
        for (int n = 0; n < nodeCount; ++n) {
            const hwloc_obj_t node = hwloc_get_obj_by_type(topology, HWLOC_OBJ_NUMANODE, n);
            if (node->cpuset && hwloc_bitmap_isset(node->cpuset, pu->os_index)) {
                fact.NumaNode = static_cast<int>(node->logical_index);
                break;
            }
        }
        cpus.push_back(fact);
    }

    // hwloc lists the kinds by efficiency rank, lowest (least performance)
    // first; an unknown ranking is -1 for every kind, when only the order
    // says something and no kind is named from its place.
    std::vector<TCoreKindFact> kinds;
    const int kindCount = hwloc_cpukinds_get_nr(topology, 0);
    TBitmap set = NewBitmap();
    for (int k = 0; k < kindCount; ++k) {
        int efficiency = -1;
        unsigned infoCount = 0;
        hwloc_info_s* infos = nullptr;
        if (hwloc_cpukinds_get_info(topology, static_cast<unsigned>(k), set.get(), &efficiency,
                                    &infoCount, &infos, 0) != 0)
            continue;
        TCoreKindFact kind;
        kind.Rank = k;
        kind.Name = KindName(infos, infoCount);
        if (kind.Name.empty() && efficiency < 0) kind.Name = "kind " + std::to_string(k + 1);
        kinds.push_back(kind);
        for (const int cpu : CpusOf(set.get()))
            for (TCpuFact& fact : cpus)
                if (fact.Cpu == cpu) fact.KindRank = k;
    }
    return BuildCpuLayout(cpus, kinds, allowed);
}

}  // namespace

TCpuLayout CpuLayoutFromSynthetic(const std::string& description, const std::vector<int>& allowed)
{
    const TTopology topology = LoadTopology(
        [&](hwloc_topology_t t) { return hwloc_topology_set_synthetic(t, description.c_str()); },
        "\"" + description + "\"");
    return LayoutOf(topology.get(), allowed);
}

TCpuLayout CpuLayoutFromXml(const std::string& path, const std::vector<int>& allowed)
{
    const TTopology topology = LoadTopology(
        [&](hwloc_topology_t t) { return hwloc_topology_set_xml(t, path.c_str()); }, path);
    return LayoutOf(topology.get(), allowed);
}

std::vector<int> AllCpusOfSynthetic(const std::string& description)
{
    const TTopology topology = LoadTopology(
        [&](hwloc_topology_t t) { return hwloc_topology_set_synthetic(t, description.c_str()); },
        "\"" + description + "\"");
    return CpusOf(hwloc_topology_get_topology_cpuset(topology.get()));
}

TCpuLayout ReadCpuLayout()
{
    // The cgroup's cpuset (hwloc's allowed set) and the thread's own
    // affinity (taskset, sched_setaffinity) both limit what may be used.
    // With the disallowed CPUs kept in the topology, the machine's count says
    // how many there are beyond the allowed ones.
    const TTopology topology = LoadTopology(
        [](hwloc_topology_t t) {
            return hwloc_topology_set_flags(t, HWLOC_TOPOLOGY_FLAG_INCLUDE_DISALLOWED);
        },
        "this machine");
    TBitmap bound = NewBitmap();
    if (hwloc_get_cpubind(topology.get(), bound.get(), HWLOC_CPUBIND_THREAD) != 0)
        throw Exception("Cannot read which CPUs this program may run on: " + ErrnoText(errno));
    hwloc_bitmap_and(bound.get(), bound.get(), hwloc_topology_get_allowed_cpuset(topology.get()));
    return LayoutOf(topology.get(), CpusOf(bound.get()));
}

}  // namespace vt
