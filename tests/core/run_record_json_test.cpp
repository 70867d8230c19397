#include "results/run_record_json.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "results/score_table.h"

namespace vt {
namespace {

// A record with every member set, the values chosen so that a digit lost or
// a member swapped shows.
TRunRecord FullRecord()
{
    TRunRecord r;
    double value = 0.1;
    for (const TScoreRow& row : kScoreTable) {
        r.Scores.*row.Value = value;
        value = value * 3.7 + 1.0 / 3.0;
    }
    r.Tests = {1, 2, 3, 4, 5, 6, 7};
    r.Description = "Büro \"7\" \\ Ω 🙂";
    r.Label = "252,0gb/";
    r.Line = std::string("  GenuineIntel2446/") + "\xC1\xFE\xF0\xEE";
    r.Vendor = "GenuineIntel";
    r.Model = "P6 (Model 15)";
    r.CpuMHz = 2446.1234567891234;
    r.MemoryMiB = 257999;
    r.DiskGb = "252.0";
    r.CpuBrand = "Intel(R) Xeon(R)";
    r.LogicalCpus = 16;
    r.CpusAllowed = 3;
    r.Hypervisor = true;
    r.HypervisorVendor = "KVMKVMKVM";
    r.Os = "Debian GNU/Linux 12 (bookworm)";
    r.Kernel = "Linux 6.1.0-21-amd64";
    r.Host = "pc1";
    r.Arch = "x86_64";
    r.Version = "1.1";
    r.Date = "2026-12-08";
    r.Started = "2026-12-08T23:10:00+01:00";
    r.LoadAverage = 0.25;
    r.Run = 2;
    r.Runs = 9;
    r.PaintPlatform = "offscreen";
    r.MemoryBlockMiB = 128;
    r.Shapes = 10000;
    r.File = "/srv/tëst.bin";
    r.FileBytes = 5368709120;
    r.FileSystem = "ext4";
    r.StorageKind = "disk";
    r.EveryCore = TEveryCoreDetails{8, 16, 2, 1, 7.25, {{"performance", {0, 1, 2}, 1234.5}}};
    TDiskDetails disk;
    disk.Folder = "/srv";
    disk.FileMiB = 1024;
    disk.Seconds = 5;
    disk.Rnd4KQ32ReadIops = 12345.5;
    disk.Rnd4KQ1WriteIops = 99;
    disk.FileSystem = "xfs";
    disk.DeviceModel = "Disk \"A\"";
    r.Disk = disk;
    TRunConditions c;
    c.ThreadCpuShare = 0.64;
    c.OtherCpuDuringPct = 97;
    c.StealPct = 0;
    c.Governor = "performance";
    c.ThrottleEvents = 3;
    c.OnBattery = false;
    c.Quiet = false;
    c.Disturbances = {"other processes used 97% of a CPU", "the processor throttled"};
    r.Conditions = c;
    return r;
}

void ExpectSame(const TRunRecord& a, const TRunRecord& b)
{
    for (const TScoreRow& row : kScoreTable)
        EXPECT_EQ(a.Scores.*row.Value, b.Scores.*row.Value) << row.Name;
    EXPECT_EQ(a.Tests, b.Tests);
    EXPECT_EQ(a.Description, b.Description);
    EXPECT_EQ(a.Label, b.Label);
    EXPECT_EQ(a.Line, b.Line);
    EXPECT_EQ(a.Vendor, b.Vendor);
    EXPECT_EQ(a.Model, b.Model);
    EXPECT_EQ(a.CpuMHz, b.CpuMHz);
    EXPECT_EQ(a.MemoryMiB, b.MemoryMiB);
    EXPECT_EQ(a.DiskGb, b.DiskGb);
    EXPECT_EQ(a.CpuBrand, b.CpuBrand);
    EXPECT_EQ(a.LogicalCpus, b.LogicalCpus);
    EXPECT_EQ(a.CpusAllowed, b.CpusAllowed);
    EXPECT_EQ(a.Hypervisor, b.Hypervisor);
    EXPECT_EQ(a.HypervisorVendor, b.HypervisorVendor);
    EXPECT_EQ(a.Os, b.Os);
    EXPECT_EQ(a.Kernel, b.Kernel);
    EXPECT_EQ(a.Host, b.Host);
    EXPECT_EQ(a.Arch, b.Arch);
    EXPECT_EQ(a.Version, b.Version);
    EXPECT_EQ(a.Date, b.Date);
    EXPECT_EQ(a.Started, b.Started);
    EXPECT_EQ(a.LoadAverage, b.LoadAverage);
    EXPECT_EQ(a.Run, b.Run);
    EXPECT_EQ(a.Runs, b.Runs);
    EXPECT_EQ(a.PaintPlatform, b.PaintPlatform);
    EXPECT_EQ(a.MemoryBlockMiB, b.MemoryBlockMiB);
    EXPECT_EQ(a.Shapes, b.Shapes);
    EXPECT_EQ(a.File, b.File);
    EXPECT_EQ(a.FileBytes, b.FileBytes);
    EXPECT_EQ(a.FileSystem, b.FileSystem);
    EXPECT_EQ(a.StorageKind, b.StorageKind);
    ASSERT_EQ(a.EveryCore.has_value(), b.EveryCore.has_value());
    if (a.EveryCore) {
        EXPECT_EQ(a.EveryCore->PhysicalCores, b.EveryCore->PhysicalCores);
        EXPECT_EQ(a.EveryCore->Smt, b.EveryCore->Smt);
        EXPECT_EQ(a.EveryCore->Scaling, b.EveryCore->Scaling);
        ASSERT_EQ(a.EveryCore->CoreKinds.size(), b.EveryCore->CoreKinds.size());
        for (std::size_t i = 0; i < a.EveryCore->CoreKinds.size(); ++i) {
            EXPECT_EQ(a.EveryCore->CoreKinds[i].Kind, b.EveryCore->CoreKinds[i].Kind);
            EXPECT_EQ(a.EveryCore->CoreKinds[i].Cpus, b.EveryCore->CoreKinds[i].Cpus);
            EXPECT_EQ(a.EveryCore->CoreKinds[i].CyclesPerSec,
                      b.EveryCore->CoreKinds[i].CyclesPerSec);
        }
    }
    ASSERT_EQ(a.Disk.has_value(), b.Disk.has_value());
    if (a.Disk) {
        EXPECT_EQ(a.Disk->Folder, b.Disk->Folder);
        EXPECT_EQ(a.Disk->FileMiB, b.Disk->FileMiB);
        EXPECT_EQ(a.Disk->Rnd4KQ32ReadIops, b.Disk->Rnd4KQ32ReadIops);
        EXPECT_EQ(a.Disk->Rnd4KQ1ReadIops, b.Disk->Rnd4KQ1ReadIops);
        EXPECT_EQ(a.Disk->Rnd4KQ1WriteIops, b.Disk->Rnd4KQ1WriteIops);
        EXPECT_EQ(a.Disk->FileSystem, b.Disk->FileSystem);
        EXPECT_EQ(a.Disk->StorageKind, b.Disk->StorageKind);
        EXPECT_EQ(a.Disk->DeviceModel, b.Disk->DeviceModel);
    }
    ASSERT_EQ(a.Conditions.has_value(), b.Conditions.has_value());
    if (a.Conditions) {
        EXPECT_EQ(a.Conditions->ThreadCpuShare, b.Conditions->ThreadCpuShare);
        EXPECT_EQ(a.Conditions->OtherCpuBeforePct, b.Conditions->OtherCpuBeforePct);
        EXPECT_EQ(a.Conditions->OtherCpuDuringPct, b.Conditions->OtherCpuDuringPct);
        EXPECT_EQ(a.Conditions->StealPct, b.Conditions->StealPct);
        EXPECT_EQ(a.Conditions->Governor, b.Conditions->Governor);
        EXPECT_EQ(a.Conditions->ThrottleEvents, b.Conditions->ThrottleEvents);
        EXPECT_EQ(a.Conditions->MaxTemperatureC, b.Conditions->MaxTemperatureC);
        EXPECT_EQ(a.Conditions->OnBattery, b.Conditions->OnBattery);
        EXPECT_EQ(a.Conditions->Quiet, b.Conditions->Quiet);
        EXPECT_EQ(a.Conditions->Disturbances, b.Conditions->Disturbances);
    }
}

// What round trips through the JSON line: the whole record, a bare one (no
// tests' details, no conditions) and one with awkward numbers.
TEST(RunRecordJson, RoundTripsEveryMember)
{
    TRunRecord bare;
    bare.Tests = {2};
    bare.Scores.CyclesPerSec = 1234.5;
    TRunRecord awkward = FullRecord();
    awkward.Scores.SortTime = 1e-300;
    awkward.Scores.HddSpeed = 0.1 + 0.2;
    awkward.CpuMHz = 1.7976931348623157e308;
    awkward.MemoryMiB = -1;
    awkward.Conditions->Quiet = true;
    awkward.Conditions->Disturbances.clear();
    for (const TRunRecord& r : {FullRecord(), bare, awkward}) {
        const std::string json = RecordToJson(r);
        EXPECT_EQ(json.find('\n'), std::string::npos) << json;
        TRunRecord back;
        std::string error;
        ASSERT_TRUE(ParseRecordJson(json, back, error)) << error << "\n" << json;
        ExpectSame(r, back);
        EXPECT_EQ(RecordToJson(back), json);
    }
}

TEST(RunRecordJson, AbsentValuesAreNull)
{
    TRunRecord r;
    r.Tests = {2};
    r.Scores.CyclesPerSec = 100;
    r.Scores.SortTime = 5;  // a stale figure of a test that did not run
    r.DiskGb = "";
    const std::string json = RecordToJson(r);
    for (const char* member :
         {"\"SortTime\": null", "\"HddSpeed\": null", "\"DiskRnd4KQ1Write\": null",
          "\"file_system\": null", "\"storage_kind\": null", "\"every_core\": null",
          "\"disk\": null", "\"conditions\": null", "\"quiet\": null", "\"line\": null",
          "\"disk_gb\": null", "\"load_average\": null", "\"hypervisor_vendor\": null"})
        EXPECT_NE(json.find(member), std::string::npos) << member << " in " << json;
    EXPECT_NE(json.find("\"CyclesPerSec\": 100,"), std::string::npos) << json;
}

// Bytes that are not UTF-8 (a host name in another encoding) never make a
// record that does not parse.
TEST(RunRecordJson, TextThatIsNotUtf8StillParses)
{
    struct Case {
        const char* name;
        std::string host;
        std::string readBack;
    };
    const Case cases[] = {
        {"latin1", "B\xFCro", "B\xC3\xBCro"},
        {"lone continuation", "a\x80z", "a\xC2\x80z"},
        {"cut sequence", "a\xE2\x82", "a\xC3\xA2\xC2\x82"},
        {"surrogate", "\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},
        {"overlong", "\xC0\xAF", "\xC3\x80\xC2\xAF"},
        {"control", std::string("a\x01\x1F\x7F", 4), std::string("a\x01\x1F\x7F", 4)},
        {"valid kept", "Ω🙂", "Ω🙂"},
    };
    for (const Case& c : cases) {
        TRunRecord r;
        r.Tests = {1};
        r.Host = c.host;
        TRunRecord back;
        std::string error;
        ASSERT_TRUE(ParseRecordJson(RecordToJson(r), back, error)) << c.name << ": " << error;
        EXPECT_EQ(back.Host, c.readBack) << c.name;
    }
}

// Records from elsewhere: batch's JSON of the last release, members of a
// later program, escapes an editor may write.
TEST(RunRecordJson, ReadsWhatOthersWrote)
{
    struct Case {
        const char* name;
        const char* json;
        double cycles;
        const char* host;
        std::optional<std::string> fileSystem;
        std::optional<bool> quiet;
    };
    const Case cases[] = {
        {"last release",
         R"({"description": "GenuineIntel2446/", "disk_label": "252.0gb/", "ListCreateTime": null,)"
         R"( "CyclesPerSec": 1234.5, "tests": [2], "disk_gb": 252.0, "file_system": "",)"
         R"( "storage_kind": "", "hypervisor": true, "host": "pc1", "load_average": null})",
         1234.5, "pc1", std::nullopt, std::nullopt},
        {"later members",
         R"({"tests":[2],"future":{"a":[1,{"b":null}]},"description":"d",)"
         R"("disk_label":"l","CyclesPerSec":2,"host":"h","quiet":false})",
         2, "h", std::nullopt, false},
        {"escapes",
         R"({"tests":[],"description":"\u00fc\ud83d\ude42\/","disk_label":"",)"
         R"("host":"a\tb","file_system":"ext4"})",
         0, "a\tb", "ext4", std::nullopt},
        {"blanks",
         " { \"tests\" : [ 2 ] , \"description\" : \"\" , \"disk_label\" : \"\" ,"
         " \"CyclesPerSec\" : -1.5e2 } \r",
         -150, "", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        TRunRecord r;
        std::string error;
        ASSERT_TRUE(ParseRecordJson(c.json, r, error)) << c.name << ": " << error;
        EXPECT_EQ(r.Scores.CyclesPerSec, c.cycles) << c.name;
        EXPECT_EQ(r.Host, c.host) << c.name;
        EXPECT_EQ(r.FileSystem, c.fileSystem) << c.name;
        EXPECT_EQ(r.Conditions ? std::optional<bool>(r.Conditions->Quiet) : std::nullopt, c.quiet)
            << c.name;
    }
}

TEST(RunRecordJson, RefusesWhatIsNotARecord)
{
    const std::string deep = std::string(40, '[') + std::string(40, ']');
    struct Case {
        const char* name;
        std::string json;
        const char* error;  // a part of the message
    };
    const Case cases[] = {
        {"empty", "", "an object expected"},
        {"list", "[1]", "an object expected"},
        {"cut short", R"({"tests":[1],"description":"d","disk_label":"l")", "expected"},
        {"no tests", R"({"description":"d","disk_label":"l"})", "no tests"},
        {"no description", R"({"tests":[1],"disk_label":"l"})", "no description"},
        {"score as text", R"({"tests":[1],"description":"d","disk_label":"l","SortTime":"1"})",
         "a number expected"},
        {"leading zero", R"({"tests":[01],"description":"d","disk_label":"l"})", "expected"},
        {"fraction as test", R"({"tests":[1.5],"description":"d","disk_label":"l"})",
         "whole number"},
        {"huge", R"({"tests":[1],"description":"d","disk_label":"l","SortTime":1e999})",
         "out of range"},
        {"not UTF-8", "{\"tests\":[1],\"description\":\"\xFF\",\"disk_label\":\"l\"}", "not UTF-8"},
        {"raw control", "{\"tests\":[1],\"description\":\"a\nb\",\"disk_label\":\"l\"}",
         "control character"},
        {"lone surrogate", R"({"tests":[1],"description":"\ud800","disk_label":"l"})", "surrogate"},
        {"bad escape", R"({"tests":[1],"description":"\q","disk_label":"l"})", "escape"},
        {"two records", R"({"tests":[1],"description":"d","disk_label":"l"} {})",
         "more after the record"},
        {"deep", "{\"x\":" + deep + "}", "nested too deep"},
        {"result line", "  GenuineIntel2446/252.0gb/|  1.00|", "an object expected"},
    };
    for (const Case& c : cases) {
        TRunRecord r;
        std::string error;
        EXPECT_FALSE(ParseRecordJson(c.json, r, error)) << c.name;
        EXPECT_NE(error.find(c.error), std::string::npos) << c.name << ": " << error;
    }
}

// CSV and JSON carry the same facts: every column a member of the JSON,
// every row as long as the header.
TEST(RunRecordJson, CsvHasTheJsonsFacts)
{
    const std::vector<std::string> names = RecordCsvNames();
    const TRunRecord full = FullRecord();
    const std::vector<std::string> cells = RecordCsvCells(full);
    ASSERT_EQ(cells.size(), names.size());
    EXPECT_EQ(RecordCsvCells(TRunRecord{}).size(), names.size());
    const std::string json = RecordToJson(full);
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::string member = names[i];
        for (const char* object : {"every_core_", "disk_", "conditions_"})
            if (member.rfind(object, 0) == 0 &&
                json.find("\"" + member + "\"") == std::string::npos)
                member = member.substr(std::string(object).size());
        EXPECT_NE(json.find("\"" + member + "\": "), std::string::npos) << names[i];
    }
    auto cell = [&](const std::string& name) {
        for (std::size_t i = 0; i < names.size(); ++i)
            if (names[i] == name) return cells[i];
        return std::string("(no column)");
    };
    EXPECT_EQ(cell("description"), "\"Büro \"\"7\"\" \\ Ω 🙂\"");
    EXPECT_EQ(cell("tests"), "1 2 3 4 5 6 7");
    EXPECT_EQ(cell("disk_gb"), "252.0");
    EXPECT_EQ(cell("conditions_steal_pct"), "0");
    EXPECT_EQ(cell("conditions_clock_min_mhz"), "");
    EXPECT_EQ(cell("disk_file_system"), "xfs");
    EXPECT_EQ(cell("quiet"), "false");
    EXPECT_EQ(std::strtod(cell("CyclesPerSec").c_str(), nullptr), full.Scores.CyclesPerSec);
}

}  // namespace
}  // namespace vt
