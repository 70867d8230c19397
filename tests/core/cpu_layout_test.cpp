// The layout from a system's facts and from Windows' processor records:
// cores and SMT siblings, packages, nodes, kinds, the allowed CPUs.
#include <gtest/gtest.h>

#include <numeric>

#include "platform/cpu_layout.h"
#include "platform/cpu_layout_records.h"
#include "platform/errors.h"

namespace vt {
namespace {

std::vector<int> Range(int first, int count)
{
    std::vector<int> cpus(static_cast<std::size_t>(count));
    std::iota(cpus.begin(), cpus.end(), first);
    return cpus;
}

std::vector<std::vector<int>> CoreCpus(const TCpuLayout& layout)
{
    std::vector<std::vector<int>> cores;
    for (const TPhysicalCore& core : layout.Cores) cores.push_back(core.Cpus);
    return cores;
}

// What a layout says, in one comparable shape.
struct Expected {
    std::vector<int> cpus;
    std::vector<std::vector<int>> cores;
    int machineCpus, packages, numaNodes, smt;
    std::vector<std::string> kinds;          // names, by rank
    std::vector<std::vector<int>> kindCpus;  // per kind
    std::vector<int> coreKinds;              // per core
};

void ExpectLayout(const TCpuLayout& layout, const Expected& e)
{
    EXPECT_EQ(layout.Cpus, e.cpus);
    EXPECT_EQ(CoreCpus(layout), e.cores);
    EXPECT_EQ(layout.MachineCpus, e.machineCpus);
    EXPECT_EQ(layout.Packages, e.packages);
    EXPECT_EQ(layout.NumaNodes, e.numaNodes);
    EXPECT_EQ(layout.Smt(), e.smt);
    std::vector<std::string> names;
    std::vector<std::vector<int>> kindCpus;
    for (const TCoreKind& kind : layout.Kinds) {
        names.push_back(kind.Name);
        kindCpus.push_back(kind.Cpus);
    }
    EXPECT_EQ(names, e.kinds);
    EXPECT_EQ(kindCpus, e.kindCpus);
    std::vector<int> coreKinds;
    for (const TPhysicalCore& core : layout.Cores) coreKinds.push_back(core.Kind);
    if (!e.coreKinds.empty()) {
        EXPECT_EQ(coreKinds, e.coreKinds);
    }
}

// Windows records of four machines, and what they say under an allowed set.
struct RecordsRow {
    const char* name;
    TProcessorRecords (*build)();
    std::vector<int> allowed;
    Expected expected;
};

TProcessorRecords TwoCoresSmt()
{
    // Siblings numbered as Windows does: 0 and 1 on core 0.
    TProcessorRecords r;
    r.Other(2, 32);  // a cache record first, which is stepped over
    r.Core({0, 1});
    r.Core({2, 3});
    r.Package(Range(0, 4));
    r.NumaNode(0, Range(0, 4));
    return r;
}

TProcessorRecords Hybrid()
{
    // Two performance cores with SMT (class 1), four efficiency cores (class 0).
    TProcessorRecords r;
    r.Core({0, 1}, 1);
    r.Core({2, 3}, 1);
    for (int cpu = 4; cpu < 8; ++cpu) r.Core({cpu}, 0);
    r.Package(Range(0, 8));
    r.NumaNode(0, Range(0, 8));
    return r;
}

TProcessorRecords ThreeClasses()
{
    TProcessorRecords r;
    r.Core({0}, 2);
    r.Core({1}, 5);
    r.Core({2}, 0);
    r.Package(Range(0, 3));
    return r;
}

TProcessorRecords TwoGroups()
{
    // 2 packages, each its own NUMA node and processor group of 40 CPUs.
    TProcessorRecords r;
    for (int group = 0; group < 2; ++group) {
        for (int core = 0; core < 20; ++core)
            r.Core({64 * group + 2 * core, 64 * group + 2 * core + 1});
        r.Package(Range(64 * group, 40));
        r.NumaNode(static_cast<std::uint32_t>(group), Range(64 * group, 40));
    }
    return r;
}

std::vector<std::vector<int>> Pairs(int first, int count)
{
    std::vector<std::vector<int>> cores;
    for (int i = 0; i < count; ++i) cores.push_back({first + 2 * i, first + 2 * i + 1});
    return cores;
}

std::vector<int> Concat(std::vector<int> a, const std::vector<int>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<std::vector<int>> Concat(std::vector<std::vector<int>> a,
                                     const std::vector<std::vector<int>>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class RecordsTest : public ::testing::TestWithParam<RecordsRow> {};

TEST_P(RecordsTest, Layout)
{
    const RecordsRow& row = GetParam();
    TProcessorRecords records = row.build();
    ExpectLayout(CpuLayoutFromRecords(records.Bytes().data(), records.Bytes().size(), row.allowed),
                 row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RecordsTest,
    ::testing::Values(RecordsRow{"two_cores_smt",
                                 TwoCoresSmt,
                                 Range(0, 4),
                                 {Range(0, 4), {{0, 1}, {2, 3}}, 4, 1, 1, 2, {}, {}, {-1, -1}}},
                      RecordsRow{"one_sibling_of_each_core",
                                 TwoCoresSmt,
                                 {0, 2},
                                 {{0, 2}, {{0}, {2}}, 4, 1, 1, 1, {}, {}, {}}},
                      RecordsRow{"cpus_not_of_the_machine_ignored",
                                 TwoCoresSmt,
                                 {1, 9, 70},
                                 {{1}, {{1}}, 4, 1, 1, 1, {}, {}, {}}},
                      RecordsRow{"hybrid",
                                 Hybrid,
                                 Range(0, 8),
                                 {Range(0, 8),
                                  {{0, 1}, {2, 3}, {4}, {5}, {6}, {7}},
                                  8,
                                  1,
                                  1,
                                  2,
                                  {"efficiency", "performance"},
                                  {{4, 5, 6, 7}, {0, 1, 2, 3}},
                                  {1, 1, 0, 0, 0, 0}}},
                      RecordsRow{
                          "hybrid_efficiency_cores_only",
                          Hybrid,
                          {5, 6},
                          {{5, 6}, {{5}, {6}}, 8, 1, 1, 1, {"efficiency"}, {{5, 6}}, {0, 0}}},
                      RecordsRow{"three_classes_named_by_place",
                                 ThreeClasses,
                                 Range(0, 3),
                                 {Range(0, 3),
                                  {{0}, {1}, {2}},
                                  3,
                                  1,
                                  1,
                                  1,
                                  {"efficiency", "kind 2", "performance"},
                                  {{2}, {0}, {1}},
                                  {1, 2, 0}}},
                      RecordsRow{"two_groups_two_nodes",
                                 TwoGroups,
                                 Concat(Range(0, 40), Range(64, 40)),
                                 {Concat(Range(0, 40), Range(64, 40)),
                                  Concat(Pairs(0, 20), Pairs(64, 20)),
                                  80,
                                  2,
                                  2,
                                  2,
                                  {},
                                  {},
                                  {}}},
                      RecordsRow{"second_group_only",
                                 TwoGroups,
                                 Range(64, 4),
                                 {Range(64, 4), Pairs(64, 2), 80, 1, 1, 2, {}, {}, {}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Records, PackageAndNodeOfEachCore)
{
    TProcessorRecords records = TwoGroups();
    const TCpuLayout layout = CpuLayoutFromRecords(records.Bytes().data(), records.Bytes().size(),
                                                   Concat(Range(38, 2), Range(64, 2)));
    ASSERT_EQ(layout.Cores.size(), 2u);
    EXPECT_EQ(layout.Cores[0].Package, 0);
    EXPECT_EQ(layout.Cores[0].NumaNode, 0);
    EXPECT_EQ(layout.Cores[1].Package, 1);
    EXPECT_EQ(layout.Cores[1].NumaNode, 1);
}

// A buffer that is cut short or whose sizes lie is refused, never read
// beyond its end or looped over forever.
struct DamagedRow {
    const char* name;
    void (*damage)(std::vector<std::uint8_t>&);
};

class DamagedRecordsTest : public ::testing::TestWithParam<DamagedRow> {};

TEST_P(DamagedRecordsTest, Refused)
{
    TProcessorRecords records = TwoCoresSmt();
    std::vector<std::uint8_t>& bytes = records.Bytes();
    GetParam().damage(bytes);
    EXPECT_THROW(CpuLayoutFromRecords(bytes.data(), bytes.size(), Range(0, 4)), Exception);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DamagedRecordsTest,
    ::testing::Values(
        DamagedRow{"cut_in_a_head", [](std::vector<std::uint8_t>& b) { b.resize(b.size() - 44); }},
        DamagedRow{"cut_in_a_body", [](std::vector<std::uint8_t>& b) { b.resize(b.size() - 8); }},
        DamagedRow{"size_zero",
                   [](std::vector<std::uint8_t>& b) { b[4] = b[5] = b[6] = b[7] = 0; }},
        DamagedRow{"size_beyond_the_buffer", [](std::vector<std::uint8_t>& b) { b[7] = 0x10; }},
        // The first core record (after the 40-byte cache record) claims 9
        // group masks in 48 bytes.
        DamagedRow{"more_groups_than_bytes",
                   [](std::vector<std::uint8_t>& b) { b[40 + 8 + 22] = 9; }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Records, NoAllowedCpuIsAnError)
{
    TProcessorRecords records = TwoCoresSmt();
    EXPECT_THROW(CpuLayoutFromRecords(records.Bytes().data(), records.Bytes().size(), {4, 5}),
                 Exception);
}

TEST(Layout, Description)
{
    TProcessorRecords hybrid = Hybrid();
    EXPECT_EQ(DescribeCpuLayout(
                  CpuLayoutFromRecords(hybrid.Bytes().data(), hybrid.Bytes().size(), Range(0, 8))),
              "8 CPUs, 6 cores, 1 package, 1 NUMA node, 4 efficiency CPUs, 4 performance CPUs");
    TProcessorRecords groups = TwoGroups();
    EXPECT_EQ(
        DescribeCpuLayout(CpuLayoutFromRecords(groups.Bytes().data(), groups.Bytes().size(), {0})),
        "1 CPU (of 80), 1 core, 1 package, 1 NUMA node");
}

}  // namespace
}  // namespace vt
