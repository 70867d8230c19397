// The machine's identity fields: the brand string decoded from its register
// bytes, the start time's ISO 8601 text, and the fields of this machine
// (on every operating system).
#include "sysinfo/machine_identity.h"

#include <gtest/gtest.h>

#include <cstring>
#include <regex>

#include "platform/local_time.h"

namespace vt {
namespace {

// The three leaves holding `text`, zero-padded to 48 bytes.
std::array<TCpuidResult, 3> Leaves(const std::string& text)
{
    char bytes[48] = {};
    std::memcpy(bytes, text.data(), std::min<std::size_t>(text.size(), 48));
    std::array<TCpuidResult, 3> leaves;
    for (int leaf = 0; leaf < 3; ++leaf) {
        std::uint32_t* words[] = {&leaves[leaf].Eax, &leaves[leaf].Ebx, &leaves[leaf].Ecx,
                                  &leaves[leaf].Edx};
        for (int w = 0; w < 4; ++w) std::memcpy(words[w], bytes + leaf * 16 + w * 4, 4);
    }
    return leaves;
}

TEST(BrandString, TrimmedUpToTheFirstZeroByte)
{
    const struct {
        const char* name;
        std::string bytes;
        const char* brand;
    } rows[] = {
        {"leading blanks", "       Intel(R) Xeon(R) CPU @ 2.20GHz",
         "Intel(R) Xeon(R) CPU @ 2.20GHz"},
        {"trailing blanks", "Genuine CPU   ", "Genuine CPU"},
        {"all 48 bytes", std::string(47, 'x') + "y",
         "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxy"},
        {"text after a zero byte", std::string("Real\0junk", 9), "Real"},
        {"only blanks", "     ", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(BrandString(Leaves(row.bytes)), row.brand);
    }
}

// Leaf 0x40000000: twelve bytes in EBX, ECX, EDX.
TEST(HypervisorVendorString, TwelveBytesTrimmedOrNothing)
{
    auto leaf = [](const char(&bytes)[13]) {
        TCpuidResult r;
        std::memcpy(&r.Ebx, bytes, 4);
        std::memcpy(&r.Ecx, bytes + 4, 4);
        std::memcpy(&r.Edx, bytes + 8, 4);
        return r;
    };
    const struct {
        const char* name;
        TCpuidResult leaf;
        std::optional<std::string> vendor;
    } rows[] = {
        {"kvm", leaf("KVMKVMKVM\0\0\0"), "KVMKVMKVM"},
        {"hyper-v", leaf("Microsoft Hv"), "Microsoft Hv"},
        {"blanks", leaf("  VBoxVBox  "), "VBoxVBox"},
        {"zeros", leaf("\0\0\0\0\0\0\0\0\0\0\0\0"), std::nullopt},
        {"blanks only", leaf("            "), std::nullopt},
        {"not text", leaf("KVM\x01KVMKVM\0\0"), std::nullopt},
    };
    for (const auto& row : rows)
        EXPECT_EQ(HypervisorVendorString(row.leaf), row.vendor) << row.name;
}

TEST(Iso8601, DateTimeAndOffset)
{
    const struct {
        TLocalTime time;
        const char* text;
    } rows[] = {
        {{2026, 12, 8, 17, 4, 8, 60}, "2026-12-08T17:04:08+01:00"},
        {{1999, 12, 31, 23, 59, 59, -300}, "1999-12-31T23:59:59-05:00"},
        {{2030, 6, 30, 0, 0, 0, 330}, "2030-06-30T00:00:00+05:30"},
    };
    for (const auto& row : rows) EXPECT_EQ(Iso8601(row.time), row.text);
}

TEST(MachineIdentity, ThisMachineIsNamed)
{
    const TMachineIdentity id = ReadMachineIdentity();
    EXPECT_FALSE(id.Host.empty());
    EXPECT_FALSE(id.Os.empty());
    EXPECT_FALSE(id.Kernel.empty());
    EXPECT_GE(id.LogicalCpus, 1);
    EXPECT_GE(id.CpusAllowed, 1);
    EXPECT_LE(id.CpusAllowed, id.LogicalCpus);
    EXPECT_FALSE(id.Arch.empty());
    EXPECT_FALSE(id.Version.empty());
    EXPECT_EQ(id.HypervisorVendor.has_value() && !id.Hypervisor, false);
    if (VESKTEST_X86_64) {
        EXPECT_FALSE(id.CpuBrand.empty());
        EXPECT_NE(id.CpuBrand.front(), ' ');
        EXPECT_NE(id.CpuBrand.back(), ' ');
    }
    const TLocalTime now = LocalTimeNow();
    EXPECT_TRUE(std::regex_match(Iso8601(now),
                                 std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d)")));
    EXPECT_LE(std::abs(now.UtcOffsetMinutes), 14 * 60);
}

}  // namespace
}  // namespace vt
