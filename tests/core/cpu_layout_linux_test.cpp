// The layout from hwloc's synthetic topologies and from XML exports of a
// NUMA machine and a hybrid processor, and the CPUs each part of the
// every-core test would start a thread on there.
#include <gtest/gtest.h>

#include <numeric>

#include "benchmarks/every_core.h"
#include "platform/cpu_layout.h"
#include "platform/cpu_layout_hwloc.h"
#include "platform/errors.h"

namespace vt {
namespace {

const std::string kData = VESKTEST_TEST_DATA "/cpu_layouts/";

std::vector<int> Range(int first, int count, int step = 1)
{
    std::vector<int> cpus;
    for (int i = 0; i < count; ++i) cpus.push_back(first + i * step);
    return cpus;
}

enum class Source { Synthetic, Xml };

struct LayoutRow {
    const char* name;
    Source source;
    const char* topology;      // a synthetic description or a file in kData
    std::vector<int> allowed;  // empty: every CPU of the topology
    // The layout.
    std::size_t cpus, cores;
    int machineCpus, packages, numaNodes, smt;
    std::vector<int> firstCore;  // the CPUs of the first core
    // The threads: per part, the CPUs.
    std::vector<int> coreCpus;
    std::vector<std::string> kinds;
    std::vector<std::vector<int>> kindCpus;
};

TCpuLayout Load(const LayoutRow& row)
{
    if (row.source == Source::Xml) {
        const std::vector<int> allowed = row.allowed.empty() ? Range(0, 4096) : row.allowed;
        return CpuLayoutFromXml(kData + row.topology, allowed);
    }
    const std::vector<int> allowed =
        row.allowed.empty() ? AllCpusOfSynthetic(row.topology) : row.allowed;
    return CpuLayoutFromSynthetic(row.topology, allowed);
}

class HwlocLayoutTest : public ::testing::TestWithParam<LayoutRow> {};

TEST_P(HwlocLayoutTest, LayoutAndThreads)
{
    const LayoutRow& row = GetParam();
    const TCpuLayout layout = Load(row);
    EXPECT_EQ(layout.Cpus.size(), row.cpus);
    EXPECT_EQ(layout.Cores.size(), row.cores);
    EXPECT_EQ(layout.MachineCpus, row.machineCpus);
    EXPECT_EQ(layout.Packages, row.packages);
    EXPECT_EQ(layout.NumaNodes, row.numaNodes);
    EXPECT_EQ(layout.Smt(), row.smt);
    ASSERT_FALSE(layout.Cores.empty());
    EXPECT_EQ(layout.Cores.front().Cpus, row.firstCore);

    const TEveryCorePlan plan = PlanEveryCore(layout);
    EXPECT_EQ(plan.AllCpus, layout.Cpus);
    EXPECT_EQ(plan.CoreCpus, row.coreCpus);
    std::vector<std::string> kinds;
    std::vector<std::vector<int>> kindCpus;
    for (const auto& kind : plan.Kinds) {
        kinds.push_back(kind.Name);
        kindCpus.push_back(kind.Cpus);
    }
    EXPECT_EQ(kinds, row.kinds);
    EXPECT_EQ(kindCpus, row.kindCpus);
    EXPECT_EQ(EveryCoreParts(layout), 5 + static_cast<int>(row.kinds.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, HwlocLayoutTest,
    ::testing::Values(LayoutRow{"two_packages_smt",
                                Source::Synthetic,
                                "pack:2 core:8 pu:2",
                                {},
                                32,
                                16,
                                32,
                                2,
                                1,
                                2,
                                {0, 1},
                                Range(0, 16, 2),
                                {},
                                {}},
                      LayoutRow{"three_cpus_allowed",
                                Source::Synthetic,
                                "pack:2 core:8 pu:2",
                                {0, 1, 2},
                                3,
                                2,
                                32,
                                1,
                                1,
                                2,
                                {0, 1},
                                {0, 2},
                                {},
                                {}},
                      LayoutRow{"second_package_allowed",
                                Source::Synthetic,
                                "pack:2 core:8 pu:2",
                                Range(16, 16),
                                16,
                                8,
                                32,
                                1,
                                1,
                                2,
                                {16, 17},
                                Range(16, 8, 2),
                                {},
                                {}},
                      LayoutRow{"one_sibling_each",
                                Source::Synthetic,
                                "pack:2 core:8 pu:2",
                                Range(1, 16, 2),
                                16,
                                16,
                                32,
                                2,
                                1,
                                1,
                                {1},
                                Range(1, 16, 2),
                                {},
                                {}},
                      LayoutRow{"one_cpu",
                                Source::Synthetic,
                                "pack:2 core:8 pu:2",
                                {5},
                                1,
                                1,
                                32,
                                1,
                                1,
                                1,
                                {5},
                                {5},
                                {},
                                {}},
                      LayoutRow{"no_smt",
                                Source::Synthetic,
                                "core:4 pu:1",
                                {},
                                4,
                                4,
                                4,
                                1,
                                1,
                                1,
                                {0},
                                Range(0, 4),
                                {},
                                {}},
                      LayoutRow{"synthetic_numa",
                                Source::Synthetic,
                                "pack:2 [numa] core:2 pu:2",
                                {},
                                8,
                                4,
                                8,
                                2,
                                2,
                                2,
                                {0, 1},
                                {0, 2, 4, 6},
                                {},
                                {}},
                      // Siblings numbered as Linux does: CPU n and n + 8 share a core.
                      LayoutRow{"numa_xml",
                                Source::Xml,
                                "numa-2-packages.xml",
                                {},
                                16,
                                8,
                                16,
                                2,
                                2,
                                2,
                                {0, 8},
                                Range(0, 8),
                                {},
                                {}},
                      LayoutRow{"numa_xml_second_siblings",
                                Source::Xml,
                                "numa-2-packages.xml",
                                Range(8, 8),
                                8,
                                8,
                                16,
                                2,
                                2,
                                1,
                                {8},
                                Range(8, 8),
                                {},
                                {}},
                      LayoutRow{"numa_xml_one_node",
                                Source::Xml,
                                "numa-2-packages.xml",
                                {1, 9, 3, 11},
                                4,
                                2,
                                16,
                                1,
                                1,
                                2,
                                {1, 9},
                                {1, 3},
                                {},
                                {}},
                      LayoutRow{"hybrid_xml",
                                Source::Xml,
                                "hybrid-2p-4e.xml",
                                {},
                                8,
                                6,
                                8,
                                1,
                                1,
                                2,
                                {0, 1},
                                {0, 2, 4, 5, 6, 7},
                                {"efficiency", "performance"},
                                {{4, 5, 6, 7}, {0, 2}}},
                      LayoutRow{"hybrid_xml_performance_only",
                                Source::Xml,
                                "hybrid-2p-4e.xml",
                                Range(0, 4),
                                4,
                                2,
                                8,
                                1,
                                1,
                                2,
                                {0, 1},
                                {0, 2},
                                {"performance"},
                                {{0, 2}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HwlocLayout, HybridKindsKeepTheirCpusAndRanks)
{
    const TCpuLayout layout = CpuLayoutFromXml(kData + "hybrid-2p-4e.xml", Range(0, 8));
    ASSERT_EQ(layout.Kinds.size(), 2u);
    EXPECT_EQ(layout.Kinds[0].Cpus, Range(4, 4));
    EXPECT_EQ(layout.Kinds[1].Cpus, Range(0, 4));
    EXPECT_LT(layout.Kinds[0].Rank, layout.Kinds[1].Rank);
    std::vector<int> coreKinds;
    for (const TPhysicalCore& core : layout.Cores) coreKinds.push_back(core.Kind);
    EXPECT_EQ(coreKinds, (std::vector<int>{1, 1, 0, 0, 0, 0}));
}

TEST(HwlocLayout, NumaNodeOfEachCore)
{
    const TCpuLayout layout = CpuLayoutFromXml(kData + "numa-2-packages.xml", Range(0, 16));
    std::vector<int> nodes, packages;
    for (const TPhysicalCore& core : layout.Cores) {
        nodes.push_back(core.NumaNode);
        packages.push_back(core.Package);
    }
    EXPECT_EQ(nodes, (std::vector<int>{0, 0, 0, 0, 1, 1, 1, 1}));
    EXPECT_EQ(packages, nodes);
}

struct BadTopologyRow {
    const char* name;
    Source source;
    const char* topology;
    std::vector<int> allowed;
};

class BadTopologyTest : public ::testing::TestWithParam<BadTopologyRow> {};

TEST_P(BadTopologyTest, IsAnError)
{
    const BadTopologyRow& row = GetParam();
    EXPECT_THROW(row.source == Source::Xml ? CpuLayoutFromXml(kData + row.topology, row.allowed)
                                           : CpuLayoutFromSynthetic(row.topology, row.allowed),
                 Exception);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BadTopologyTest,
    ::testing::Values(BadTopologyRow{"not_a_description", Source::Synthetic, "pack:x", {0}},
                      BadTopologyRow{"no_such_file", Source::Xml, "none.xml", {0}},
                      BadTopologyRow{"no_allowed_cpu", Source::Synthetic, "core:2 pu:1", {7}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HwlocLayout, ThisMachineHasWhatItRunsOn)
{
    const TCpuLayout layout = ReadCpuLayout();
    ASSERT_FALSE(layout.Cpus.empty());
    EXPECT_LE(static_cast<int>(layout.Cpus.size()), layout.MachineCpus);
    std::size_t inCores = 0;
    for (const TPhysicalCore& core : layout.Cores) inCores += core.Cpus.size();
    EXPECT_EQ(inCores, layout.Cpus.size());
}

}  // namespace
}  // namespace vt
