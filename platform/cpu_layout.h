// The processor's layout as the every-core test needs it: the logical CPUs
// this process may run on, the physical cores they belong to (SMT siblings
// share a core), the packages and NUMA nodes they lie in and, on a hybrid
// processor, the kind of each core with the system's own ranking.
//
// Only what the process may use is described: a CPU outside its affinity
// (taskset, a cgroup's or a container's cpuset, a Windows affinity mask) is
// left out, and so are cores, packages, nodes and kinds with no allowed CPU.
// MachineCpus keeps the machine's count so that a restricted run can say so.
//
// Linux asks hwloc (cpu_layout_linux.cpp), Windows asks
// GetLogicalProcessorInformationEx (cpu_layout_win32.cpp); both hand their
// facts to BuildCpuLayout, which alone decides what the layout says.
#pragma once

#include <string>
#include <vector>

namespace vt {

// A kind of core on a hybrid processor.
struct TCoreKind {
    std::string Name;  // "performance", "efficiency", or "kind N" where the system gives no name
    // The system's ranking, lowest first: a higher rank is a core of more
    // performance (and less energy efficiency). Ranks need not be contiguous.
    int Rank = 0;
    std::vector<int> Cpus;  // its allowed logical CPUs, ascending
};

struct TPhysicalCore {
    // Its allowed logical CPUs, ascending; more than one when SMT siblings
    // are allowed. A test that wants one thread per core takes the first.
    std::vector<int> Cpus;
    int Package = 0;   // index among the machine's packages
    int NumaNode = 0;  // index among the machine's NUMA nodes
    int Kind = -1;     // index into TCpuLayout::Kinds; -1 when the processor has one kind
};

struct TCpuLayout {
    std::vector<int> Cpus;  // allowed logical CPUs, ascending, as the system numbers them
    std::vector<TPhysicalCore> Cores;  // cores with an allowed CPU, in the order of their first CPU
    // The kinds with an allowed CPU, by rank (lowest first), when the machine
    // has two kinds of core or more; empty otherwise.
    std::vector<TCoreKind> Kinds;
    int MachineCpus = 0;  // logical CPUs of the whole machine
    int Packages = 0;     // packages with an allowed CPU
    int NumaNodes = 0;    // NUMA nodes with an allowed CPU (1 where the system names none)

    // The most allowed logical CPUs on one core: 1 without SMT (or with only
    // one sibling of each core allowed), 2 with two-way SMT.
    int Smt() const;
    bool Hybrid() const { return Kinds.size() > 1; }
};

// One logical CPU as a system describes it. Core, package and node are ids
// that are equal for CPUs that share them, in any numbering; -1 for a node
// or kind the system does not give.
struct TCpuFact {
    int Cpu = 0;
    int Core = 0;
    int Package = 0;
    int NumaNode = -1;
    int KindRank = -1;
};

// A kind the system names, by its rank.
struct TCoreKindFact {
    int Rank = 0;
    std::string Name;  // empty: named from its place among the ranks
};

// The layout of the machine in `cpus` restricted to `allowed` (CPUs that are
// not the machine's are ignored). Kinds without a name are called
// "performance" when they rank highest, "efficiency" when they rank lowest,
// "kind N" (N its place from 1, lowest first) otherwise. Raises Exception
// when no CPU of the machine is allowed.
TCpuLayout BuildCpuLayout(const std::vector<TCpuFact>& cpus,
                          const std::vector<TCoreKindFact>& kinds, const std::vector<int>& allowed);

// The layout of the CPUs the calling thread may run on (threads it starts
// inherit the same). Raises Exception when the system does not describe its
// processors.
TCpuLayout ReadCpuLayout();

// "2 CPUs, 2 cores, 1 package, 1 NUMA node" and, where restricted, "(of 16)".
std::string DescribeCpuLayout(const TCpuLayout& layout);

}  // namespace vt
