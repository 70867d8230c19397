#include "batch/batch_output.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "platform/cp1251.h"
#include "results/csv.h"
#include "results/result_line.h"
#include "results/score_table.h"

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

// Every field of a record with its name (the CSV header's and the JSON
// member's), in order.
std::vector<std::pair<std::string, TField>> Fields(const TBatchReport& r)
{
    const std::string flag = r.Hypervisor ? "true" : "false";
    std::vector<std::pair<std::string, TField>> fields = {
        {"description", Text(Cp1251ToUtf8(r.Description))},
        {"disk_label", Text(Cp1251ToUtf8(r.Label))},
    };
    // A score of a test that did not run is null: a zero would read as a
    // measurement.
    for (const TScoreRow& row : kScoreTable)
        fields.emplace_back(row.Name, Ran(r, row.Test) ? Number(r.Scores.*row.Value) : Null());
    const std::vector<std::pair<std::string, TField>> more = {
        {"tests", {CsvField(TestList(r.Tests, ' ')), "[" + TestList(r.Tests, ',') + "]"}},
        {"cpu_vendor", Text(Cp1251ToUtf8(r.Vendor))},
        {"cpu_model", Text(Cp1251ToUtf8(r.Model))},
        {"cpu_mhz", Number(r.CpuMHz)},
        {"memory_mib", Integer(r.MemoryMiB)},
        {"disk_gb", {r.DiskGb, r.DiskGb}},
        {"date", Text(r.Date)},
        {"paint_platform", Text(r.PaintPlatform)},
        {"file_system", Text(r.FileSystem)},
        {"storage_kind", Text(r.StorageKind)},
        {"run", Integer(r.Run)},
        {"runs", Integer(r.Runs)},
        {"cpu_brand", Text(r.CpuBrand)},
        {"logical_cpus", Integer(r.LogicalCpus)},
        {"hypervisor", {flag, flag}},
        {"os", Text(r.Os)},
        {"kernel", Text(r.Kernel)},
        {"host", Text(r.Host)},
        {"started", Text(r.Started)},
        {"load_average", Optional(r.LoadAverage)},
        {"memory_block_mib", Optional(r.MemoryBlockMiB)},
        {"shapes", Optional(r.Shapes)},
    };
    fields.insert(fields.end(), more.begin(), more.end());
    return fields;
}

}  // namespace

const std::vector<std::string>& BatchFieldNames()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> all;
        for (const auto& [name, field] : Fields(TBatchReport{})) all.push_back(name);
        return all;
    }();
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

    const std::vector<std::pair<std::string, TField>> fields = Fields(report);
    std::string out;
    if (format == TBatchFormat::Csv) {
        if (report.Run == 1) AppendCsvRecord(out, BatchFieldNames());
        std::vector<std::string> row;
        for (const auto& [name, field] : fields) row.push_back(field.Csv);
        AppendCsvRecord(out, row);
        return out;
    }
    out = "{";
    for (const auto& [name, field] : fields)
        out += (out.size() > 1 ? ", " : "") + JsonQuoted(name) + ": " + field.Json;
    return out + "}\n";
}

}  // namespace vt
