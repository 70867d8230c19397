#include "batch/batch_output.h"

#include <charconv>
#include <cstdio>

#include "platform/cp1251.h"
#include "results/result_line.h"

namespace vt {

namespace {

// A field's value: a number as it stands, or a text to be quoted.
struct TField {
    std::string Value;
    bool Text;
};

// The shortest decimal text that reads back as exactly `value`, with ".".
std::string Number(double value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
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
    const TScores& s = r.Scores;
    return {
        {Cp1251ToUtf8(r.Description), true},
        {Cp1251ToUtf8(r.Label), true},
        {Number(s.ListCreateTime), false},
        {Number(s.SortTime), false},
        {Number(s.SortOutputTime), false},
        {Number(s.FillMemSpeed), false},
        {Number(s.ReadMemSpeed), false},
        {Number(s.CyclesPerSec), false},
        {Number(s.DrawTime), false},
        {Number(s.HddSpeed), false},
        {TestList(r.Tests, ' '), true},
        {Cp1251ToUtf8(r.Vendor), true},
        {Cp1251ToUtf8(r.Model), true},
        {Number(r.CpuMHz), false},
        {std::to_string(r.MemoryMiB), false},
        {r.DiskGb, false},
        {r.Date, true},
        {r.PaintPlatform, true},
        {r.FileSystem, true},
        {r.StorageKind, true},
    };
}

std::string CsvQuoted(const std::string& text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

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

}  // namespace

const std::vector<std::string>& BatchFieldNames()
{
    static const std::vector<std::string> names = {
        "description",  "disk_label",   "ListCreateTime", "SortTime",    "SortOutputTime",
        "FillMemSpeed", "ReadMemSpeed", "CyclesPerSec",   "DrawTime",    "HddSpeed",
        "tests",        "cpu_vendor",   "cpu_model",      "cpu_mhz",     "memory_mib",
        "disk_gb",      "date",         "paint_platform", "file_system", "storage_kind",
    };
    return names;
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
        for (std::size_t i = 0; i < names.size(); ++i) out += (i ? "," : "") + names[i];
        out += "\n";
        for (std::size_t i = 0; i < fields.size(); ++i)
            out += (i ? "," : "") + (fields[i].Text ? CsvQuoted(fields[i].Value) : fields[i].Value);
        return out + "\n";
    }
    out = "{";
    for (std::size_t i = 0; i < fields.size(); ++i) {
        out += (i ? ", " : "") + JsonQuoted(names[i]) + ": ";
        if (names[i] == "tests")
            out += "[" + TestList(report.Tests, ',') + "]";
        else
            out += fields[i].Text ? JsonQuoted(fields[i].Value) : fields[i].Value;
    }
    return out + "}\n";
}

}  // namespace vt
