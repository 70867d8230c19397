#include "batch/batch_output.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "platform/cp1251.h"
#include "results/csv.h"
#include "results/result_line.h"

namespace vt {

namespace {

std::string JsonQuoted(const std::string& text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + '"';
}

// A field as each format writes it.
struct TField {
    std::string Csv;
    std::string Json;
};

TField Text(const std::string& utf8)
{
    return {CsvField(utf8), JsonQuoted(utf8)};
}

TField Null()
{
    return {"", "null"};
}

// The shortest decimal text that reads back as exactly `value`, with ".".
TField Number(double value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    const std::string number(text, result.ptr);
    return {number, number};
}

TField Integer(std::int64_t value)
{
    return {std::to_string(value), std::to_string(value)};
}

template <class T>
TField Optional(const std::optional<T>& value)
{
    return value ? Number(static_cast<double>(*value)) : Null();
}

std::string TestList(const std::vector<int>& tests, char separator)
{
    std::string text;
    for (const int test : tests) {
        if (!text.empty()) text += separator;
        text += std::to_string(test);
    }
    return text;
}

std::vector<TField> Fields(const TBatchReport& r)
{
    const std::string flag = r.Hypervisor ? "true" : "false";
    std::vector<TField> fields = {Text(Cp1251ToUtf8(r.Description)), Text(Cp1251ToUtf8(r.Label))};
    // A score of a test that did not run is null: a zero would read as a
    // measurement.
    for (const TBatchScore& score : BatchScores())
        fields.push_back(Ran(r, score.Test) ? Number(r.Scores.*score.Value) : Null());
    const std::vector<TField> more = {
        {CsvField(TestList(r.Tests, ' ')), "[" + TestList(r.Tests, ',') + "]"},
        Text(Cp1251ToUtf8(r.Vendor)),
        Text(Cp1251ToUtf8(r.Model)),
        Number(r.CpuMHz),
        Integer(r.MemoryMiB),
        {r.DiskGb, r.DiskGb},
        Text(r.Date),
        Text(r.PaintPlatform),
        Text(r.FileSystem),
        Text(r.StorageKind),
        Integer(r.Run),
        Integer(r.Runs),
        Text(r.CpuBrand),
        Integer(r.LogicalCpus),
        {flag, flag},
        Text(r.Os),
        Text(r.Kernel),
        Text(r.Host),
        Text(r.Started),
        Optional(r.LoadAverage),
        Optional(r.MemoryBlockMiB),
        Optional(r.Shapes),
    };
    fields.insert(fields.end(), more.begin(), more.end());
    return fields;
}

}  // namespace

const std::array<TBatchScore, 8>& BatchScores()
{
    static const std::array<TBatchScore, 8> scores = {{
        {1, "ListCreateTime", "s", &TScores::ListCreateTime},
        {1, "SortTime", "s", &TScores::SortTime},
        {1, "SortOutputTime", "s", &TScores::SortOutputTime},
        {5, "FillMemSpeed", "MiB/s", &TScores::FillMemSpeed},
        {5, "ReadMemSpeed", "MiB/s", &TScores::ReadMemSpeed},
        {2, "CyclesPerSec", "M/s", &TScores::CyclesPerSec},
        {3, "DrawTime", "s", &TScores::DrawTime},
        {4, "HddSpeed", "MiB/s", &TScores::HddSpeed},
    }};
    return scores;
}

const std::vector<std::string>& BatchFieldNames()
{
    static const std::vector<std::string> names = {
        "description",
        "disk_label",
        "ListCreateTime",
        "SortTime",
        "SortOutputTime",
        "FillMemSpeed",
        "ReadMemSpeed",
        "CyclesPerSec",
        "DrawTime",
        "HddSpeed",
        "tests",
        "cpu_vendor",
        "cpu_model",
        "cpu_mhz",
        "memory_mib",
        "disk_gb",
        "date",
        "paint_platform",
        "file_system",
        "storage_kind",
        "run",
        "runs",
        "cpu_brand",
        "logical_cpus",
        "hypervisor",
        "os",
        "kernel",
        "host",
        "started",
        "load_average",
        "memory_block_mib",
        "shapes",
    };
    return names;
}

bool Ran(const TBatchReport& report, int test)
{
    return std::find(report.Tests.begin(), report.Tests.end(), test) != report.Tests.end();
}

std::string FormatBatchOutput(TBatchFormat format, const TBatchReport& report,
                              const FormatSettings& fs)
{
    if (format == TBatchFormat::Line)
        return FormatResultLine(report.Scores, report.Description, report.Label, fs) + "\n";

    const std::vector<TField> fields = Fields(report);
    const std::vector<std::string>& names = BatchFieldNames();
    std::string out;
    if (format == TBatchFormat::Csv) {
        if (report.Run == 1) AppendCsvRecord(out, names);
        std::vector<std::string> row;
        for (const TField& field : fields) row.push_back(field.Csv);
        AppendCsvRecord(out, row);
        return out;
    }
    out = "{";
    for (std::size_t i = 0; i < fields.size(); ++i)
        out += (i ? ", " : "") + JsonQuoted(names[i]) + ": " + fields[i].Json;
    return out + "}\n";
}

}  // namespace vt
