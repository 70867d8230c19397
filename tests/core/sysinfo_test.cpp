#include "sysinfo/sysinfo.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/cpu_x86.h"

namespace vt {
namespace {

// The register value of four vendor characters, lowest byte first.
std::uint32_t Word(std::string_view four)
{
    std::uint32_t w = 0;
    for (int i = 3; i >= 0; --i) w = (w << 8) | static_cast<unsigned char>(four[i]);
    return w;
}

std::uint32_t Signature(unsigned family, unsigned model, unsigned stepping = 0, unsigned type = 0)
{
    return (type << 12) | (family << 8) | (model << 4) | stepping;
}

TCpuidRegisters Regs(std::string_view vendor, std::uint32_t signature, std::uint32_t edx = 0)
{
    TCpuidRegisters r;
    r.Present = true;
    r.VendorEbx = Word(vendor.substr(0, 4));
    r.VendorEdx = Word(vendor.substr(4, 4));
    r.VendorEcx = Word(vendor.substr(8, 4));
    r.Signature = signature;
    r.FeatureFlags = edx;
    return r;
}

struct ModelRow {
    const char* name;
    const char* vendorId;
    unsigned family;
    unsigned model;
    const char* vendor;
    const char* modelName;
};

class ModelTable : public ::testing::TestWithParam<ModelRow> {};

TEST_P(ModelTable, GivesVendorAndModelName)
{
    const ModelRow& row = GetParam();
    const TCpuInfo info = DecodeCPUID(Regs(row.vendorId, Signature(row.family, row.model)));
    EXPECT_EQ(info.VendorID, row.vendorId);
    EXPECT_EQ(info.Vendor, row.vendor);
    EXPECT_EQ(info.ModelName, row.modelName);
    EXPECT_EQ(info.Family, row.family);
    EXPECT_EQ(info.Model, row.model);
}

// One row per line of the table; the "any" lines with their first, a middle
// and their last value.
INSTANTIATE_TEST_SUITE_P(
    Rows, ModelTable,
    ::testing::Values(ModelRow{"Intel4_0", "GenuineIntel", 4, 0, "Intel", "Intel 486 Processor"},
                      ModelRow{"Intel4_1", "GenuineIntel", 4, 1, "Intel", "Intel 486DX Processor"},
                      ModelRow{"Intel4_2", "GenuineIntel", 4, 2, "Intel", "Intel 486SX Processor"},
                      ModelRow{"Intel4_3", "GenuineIntel", 4, 3, "Intel", "Intel DX2 Processor"},
                      ModelRow{"Intel4_4", "GenuineIntel", 4, 4, "Intel", "Intel 486 Processor"},
                      ModelRow{"Intel4_5", "GenuineIntel", 4, 5, "Intel", "Intel SX2 Processor"},
                      ModelRow{"Intel4_6", "GenuineIntel", 4, 6, "Intel", "Intel 486 Processor"},
                      ModelRow{"Intel4_7", "GenuineIntel", 4, 7, "Intel",
                               "Write-Back Enhanced Intel DX2 Processor"},
                      ModelRow{"Intel4_8", "GenuineIntel", 4, 8, "Intel", "Intel DX4 Processor"},
                      ModelRow{"Intel4_9", "GenuineIntel", 4, 9, "Intel", "Intel 486 Processor"},
                      ModelRow{"Intel4_12", "GenuineIntel", 4, 12, "Intel", "Intel 486 Processor"},
                      ModelRow{"Intel4_15", "GenuineIntel", 4, 15, "Intel", "Intel 486 Processor"},
                      ModelRow{"Intel5_0", "GenuineIntel", 5, 0, "Intel", "Pentium"},
                      ModelRow{"Intel5_15", "GenuineIntel", 5, 15, "Intel", "Pentium"},
                      ModelRow{"Intel6_1", "GenuineIntel", 6, 1, "Intel", "Pentium Pro"},
                      ModelRow{"Intel6_3", "GenuineIntel", 6, 3, "Intel", "Pentium II"},
                      ModelRow{"Intel6_0", "GenuineIntel", 6, 0, "Intel", "P6 (Model 0)"},
                      ModelRow{"Intel6_2", "GenuineIntel", 6, 2, "Intel", "P6 (Model 2)"},
                      ModelRow{"Intel6_14", "GenuineIntel", 6, 14, "Intel", "P6 (Model 14)"},
                      ModelRow{"Intel6_15", "GenuineIntel", 6, 15, "Intel", "P6 (Model 15)"},
                      ModelRow{"Intel0", "GenuineIntel", 0, 0, "Intel", "P0"},
                      ModelRow{"Intel3", "GenuineIntel", 3, 5, "Intel", "P3"},
                      ModelRow{"Intel7", "GenuineIntel", 7, 1, "Intel", "P7"},
                      ModelRow{"Intel15", "GenuineIntel", 15, 2, "Intel", "P15"},
                      ModelRow{"Cyrix5_0", "CyrixInstead", 5, 0, "Cyrix", "Cyrix 6x86"},
                      ModelRow{"Cyrix5_15", "CyrixInstead", 5, 15, "Cyrix", "Cyrix 6x86"},
                      ModelRow{"Cyrix6_0", "CyrixInstead", 6, 0, "Cyrix", "Cyrix M2"},
                      ModelRow{"Cyrix6_9", "CyrixInstead", 6, 9, "Cyrix", "Cyrix M2"},
                      ModelRow{"Cyrix0", "CyrixInstead", 0, 3, "Cyrix", "0x86"},
                      ModelRow{"Cyrix4", "CyrixInstead", 4, 0, "Cyrix", "4x86"},
                      ModelRow{"Cyrix7", "CyrixInstead", 7, 0, "Cyrix", "7x86"},
                      ModelRow{"Cyrix15", "CyrixInstead", 15, 15, "Cyrix", "15x86"},
                      ModelRow{"Amd4_0", "AuthenticAMD", 4, 0, "AMD", "Am486 or Am5x86"},
                      ModelRow{"Amd4_15", "AuthenticAMD", 4, 15, "AMD", "Am486 or Am5x86"},
                      ModelRow{"Amd5_0", "AuthenticAMD", 5, 0, "AMD", "AMD-K5 (Model 0)"},
                      ModelRow{"Amd5_1", "AuthenticAMD", 5, 1, "AMD", "AMD-K5 (Model 1)"},
                      ModelRow{"Amd5_2", "AuthenticAMD", 5, 2, "AMD", "AMD-K5 (Model 2)"},
                      ModelRow{"Amd5_3", "AuthenticAMD", 5, 3, "AMD", "AMD-K5 (Model 3)"},
                      ModelRow{"Amd5_6", "AuthenticAMD", 5, 6, "AMD", "AMD-K6"},
                      ModelRow{"Amd5_4", "AuthenticAMD", 5, 4, "AMD", "Unknown AMD Model"},
                      ModelRow{"Amd5_5", "AuthenticAMD", 5, 5, "AMD", "Unknown AMD Model"},
                      ModelRow{"Amd5_7", "AuthenticAMD", 5, 7, "AMD", "Unknown AMD Model"},
                      ModelRow{"Amd5_8", "AuthenticAMD", 5, 8, "AMD", "Unknown AMD Model"},
                      ModelRow{"Amd5_15", "AuthenticAMD", 5, 15, "AMD", "Unknown AMD Model"},
                      ModelRow{"Amd0", "AuthenticAMD", 0, 0, "AMD", "Unknown AMD Chip"},
                      ModelRow{"Amd3", "AuthenticAMD", 3, 6, "AMD", "Unknown AMD Chip"},
                      ModelRow{"Amd6", "AuthenticAMD", 6, 1, "AMD", "Unknown AMD Chip"},
                      ModelRow{"Amd15", "AuthenticAMD", 15, 1, "AMD", "Unknown AMD Chip"},
                      ModelRow{"Other", "VendorXYZabc", 5, 6, "Unknown", "Unknown"},
                      ModelRow{"IntelLowerCase", "Genuineintel", 6, 14, "Unknown", "Unknown"},
                      ModelRow{"AmdLastLetterLower", "AuthenticAMd", 5, 6, "Unknown", "Unknown"},
                      ModelRow{"CyrixUpperCase", "CYRIXINSTEAD", 5, 0, "Unknown", "Unknown"}),
    [](const auto& info) { return std::string(info.param.name); });

// Every family that falls to a generic row, with every model.
TEST(ModelTable, GenericRowsCoverEveryModel)
{
    for (unsigned model = 0; model < 16; ++model) {
        for (unsigned family : {0u, 1u, 2u, 3u, 7u, 8u, 9u, 10u, 11u, 12u, 13u, 14u, 15u}) {
            EXPECT_EQ(DecodeCPUID(Regs("GenuineIntel", Signature(family, model))).ModelName,
                      "P" + std::to_string(family))
                << family << "/" << model;
            EXPECT_EQ(DecodeCPUID(Regs("CyrixInstead", Signature(family, model))).ModelName,
                      std::to_string(family) + "x86")
                << family << "/" << model;
            EXPECT_EQ(DecodeCPUID(Regs("AuthenticAMD", Signature(family, model))).ModelName,
                      "Unknown AMD Chip")
                << family << "/" << model;
        }
        EXPECT_EQ(DecodeCPUID(Regs("GenuineIntel", Signature(5, model))).ModelName, "Pentium");
        EXPECT_EQ(DecodeCPUID(Regs("CyrixInstead", Signature(6, model))).ModelName, "Cyrix M2");
        EXPECT_EQ(DecodeCPUID(Regs("AuthenticAMD", Signature(6, model))).ModelName,
                  "Unknown AMD Chip");
    }
}

TEST(DecodeCPUID, SignatureFieldsIgnoreExtendedFamilyAndModel)
{
    // A current Intel signature: extended model 9 over base family 6,
    // model 14, stepping 10.
    TCpuInfo intel = DecodeCPUID(Regs("GenuineIntel", 0x000906EA, 0x178BFBFF));
    EXPECT_EQ(intel.ModelName, "P6 (Model 14)");
    EXPECT_EQ(intel.Family, 6);
    EXPECT_EQ(intel.Model, 14);
    EXPECT_EQ(intel.Stepping, 10);
    EXPECT_EQ(intel.CpuType, 0);
    EXPECT_EQ(intel.Features, 0x178BFBFFu);

    // A current AMD signature: extended family 0xA over base family 15.
    TCpuInfo amd = DecodeCPUID(Regs("AuthenticAMD", 0x00A20F12));
    EXPECT_EQ(amd.ModelName, "Unknown AMD Chip");
    EXPECT_EQ(amd.Family, 15);
    EXPECT_EQ(amd.Model, 1);
    EXPECT_EQ(amd.Stepping, 2);

    // Processor type in bits 12 to 13; bit 14 and up do not belong to it.
    EXPECT_EQ(DecodeCPUID(Regs("GenuineIntel", Signature(5, 2, 1, 2))).CpuType, 2);
    EXPECT_EQ(DecodeCPUID(Regs("GenuineIntel", 0x00007521)).CpuType, 3);
}

TEST(DecodeCPUID, WithoutTheInstruction)
{
    TCpuidRegisters absent;  // Present false; stray values must be ignored
    absent.VendorEbx = Word("Genu");
    absent.Signature = Signature(6, 14, 3, 1);
    absent.FeatureFlags = 0x800000;
    const TCpuInfo info = GetCPUInfo(absent);
    EXPECT_EQ(info.VendorID, "Unknown");
    EXPECT_EQ(info.Vendor, "Unknown");
    EXPECT_EQ(info.ModelName, "Generic 486");
    EXPECT_EQ(info.Family, 4);
    EXPECT_EQ(info.CpuType, 0);
    EXPECT_EQ(info.Model, 0);
    EXPECT_EQ(info.Stepping, 0);
    EXPECT_EQ(info.Features, 0u);
    EXPECT_FALSE(info.HasMMX);
    EXPECT_TRUE(info.FpuDivisionOK);
}

TEST(DecodeCPUID, ZeroVendorWords)
{
    // Family 4 with no vendor words counts as no instruction, but the
    // signature read stays.
    TCpuidRegisters regs;
    regs.Present = true;
    regs.Signature = Signature(4, 8, 3);
    TCpuInfo info = DecodeCPUID(regs);
    EXPECT_EQ(info.VendorID, "Unknown");
    EXPECT_EQ(info.ModelName, "Generic 486");
    EXPECT_EQ(info.Model, 8);
    EXPECT_EQ(info.Stepping, 3);

    // Any other family: twelve zero characters, an unknown vendor.
    regs.Signature = Signature(6, 1);
    info = DecodeCPUID(regs);
    EXPECT_EQ(info.VendorID, std::string(12, '\0'));
    EXPECT_EQ(info.Vendor, "Unknown");
    EXPECT_EQ(info.ModelName, "Unknown");
}

TEST(DecodeCPUID, VendorTextFromThreeWordsLowestByteFirst)
{
    TCpuidRegisters regs;
    regs.Present = true;
    regs.VendorEbx = 0x756E6547;  // "Genu"
    regs.VendorEdx = 0x49656E69;  // "ineI"
    regs.VendorEcx = 0x6C65746E;  // "ntel"
    regs.Signature = Signature(5, 2);
    EXPECT_EQ(DecodeCPUID(regs).VendorID, "GenuineIntel");
    EXPECT_EQ(DecodeCPUID(regs).ModelName, "Pentium");

    // Zero bytes inside the words stay characters: always 12 of them.
    regs.VendorEbx = 0x00410042;  // 'B', 0, 'A', 0
    regs.VendorEdx = 0;
    regs.VendorEcx = 0x43000000;  // 0, 0, 0, 'C'
    const TCpuInfo info = DecodeCPUID(regs);
    EXPECT_EQ(info.VendorID, std::string("B\0A\0\0\0\0\0\0\0\0C", 12));
    EXPECT_EQ(info.Vendor, "Unknown");
    EXPECT_EQ(info.ModelName, "Unknown");
    EXPECT_EQ(info.Family, 5);
    EXPECT_EQ(info.Model, 2);
}

TEST(GetCPUInfo, MmxFlagIsBit23OfFeatures)
{
    const TCpuidRegisters withMmx = Regs("GenuineIntel", Signature(5, 4), 0x00800000);
    EXPECT_FALSE(DecodeCPUID(withMmx).HasMMX);  // only GetCPUInfo sets it
    EXPECT_TRUE(GetCPUInfo(withMmx).HasMMX);
    EXPECT_FALSE(GetCPUInfo(Regs("GenuineIntel", Signature(5, 4), 0xFF7FFFFF)).HasMMX);
}

TEST(CheckFpuDivision, SoundUnitPasses)
{
    EXPECT_TRUE(CheckFpuDivision());
}

TEST(GetCPUInfo, ThisProcessor)
{
    const TCpuInfo info = GetCPUInfo();
    EXPECT_TRUE(info.FpuDivisionOK);
    EXPECT_EQ(info.HasMMX, (info.Features & 0x800000u) != 0);
    if (VESKTEST_X86_64) {
        EXPECT_TRUE(CpuidPresent());
        EXPECT_EQ(info.VendorID.size(), 12u);
        EXPECT_TRUE(info.HasMMX);  // every x86-64 processor has it
    } else {
        EXPECT_EQ(info.ModelName, "Generic 486");
    }
    const TCpuInfo again = ReadCPUID();
    EXPECT_EQ(again.VendorID, info.VendorID);
    EXPECT_EQ(again.ModelName, info.ModelName);
    EXPECT_FALSE(again.HasMMX);
    EXPECT_FALSE(again.FpuDivisionOK);
}

}  // namespace
}  // namespace vt
