#include "results/run_record_json.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <unordered_map>

#include "platform/cp1251.h"
#include "results/csv.h"
#include "results/score_table.h"

namespace vt {

namespace {

// ---------------------------------------------------------------------------
// Writing: the record's facts in order, handed to a sink per format.

class TSink {
public:
    virtual ~TSink() = default;
    virtual void Null(const char* name) = 0;
    virtual void Number(const char* name, double value) = 0;
    virtual void Integer(const char* name, std::int64_t value) = 0;
    // A number as the machine reported it, its text kept.
    virtual void NumberText(const char* name, std::string_view text) = 0;
    virtual void Text(const char* name, std::string_view utf8) = 0;
    virtual void Bool(const char* name, bool value) = 0;
    virtual void IntList(const char* name, const std::vector<int>& values) = 0;
    virtual void TextList(const char* name, const std::vector<std::string>& values) = 0;
    virtual void CoreKinds(const char* name, const std::vector<TCoreKindFigure>& kinds) = 0;
    // An object's members follow until End; when it is absent they are all
    // null (CSV keeps its columns, JSON writes the object as null).
    virtual void Begin(const char* name, bool present) = 0;
    virtual void End() = 0;
};

// The sink's calls with absent values as null.
class TFacts {
public:
    explicit TFacts(TSink& sink) : sink_(sink) {}
    void Present(bool present) { present_ = present; }
    void Number(const char* name, double value)
    {
        if (present_ && std::isfinite(value))
            sink_.Number(name, value);
        else
            sink_.Null(name);
    }
    void Number(const char* name, const std::optional<double>& value)
    {
        value ? Number(name, *value) : sink_.Null(name);
    }
    void Integer(const char* name, std::int64_t value)
    {
        present_ ? sink_.Integer(name, value) : sink_.Null(name);
    }
    template <class T>
    void Integer(const char* name, const std::optional<T>& value)
    {
        value ? Integer(name, static_cast<std::int64_t>(*value)) : sink_.Null(name);
    }
    void Text(const char* name, const std::string& value)
    {
        present_ ? sink_.Text(name, value) : sink_.Null(name);
    }
    void Text(const char* name, const std::optional<std::string>& value)
    {
        value ? sink_.Text(name, *value) : sink_.Null(name);
    }
    void Bool(const char* name, bool value)
    {
        present_ ? sink_.Bool(name, value) : sink_.Null(name);
    }
    void Bool(const char* name, const std::optional<bool>& value)
    {
        value ? Bool(name, *value) : sink_.Null(name);
    }
    TSink& Sink() { return sink_; }

private:
    TSink& sink_;
    bool present_ = true;
};

bool Ran(const TRunRecord& r, int test)
{
    return std::find(r.Tests.begin(), r.Tests.end(), test) != r.Tests.end();
}

// The disk's size in GiB is a number as the machine reports it ("252.0");
// any other text is no number.
bool IsJsonNumber(std::string_view text);

// The length of the JSON number at the start of `text`, 0 when there is none.
std::size_t JsonNumberLength(std::string_view text);

void Describe(const TRunRecord& r, TSink& sink)
{
    TFacts f(sink);
    f.Text("description", r.Description);
    f.Text("disk_label", r.Label);
    // A score of a test that did not run is null: a zero would read as a
    // measurement.
    for (const TScoreRow& row : kScoreTable)
        Ran(r, row.Test) ? f.Number(row.Name, r.Scores.*row.Value) : sink.Null(row.Name);
    sink.IntList("tests", r.Tests);
    f.Text("cpu_vendor", r.Vendor);
    f.Text("cpu_model", r.Model);
    f.Number("cpu_mhz", r.CpuMHz);
    f.Integer("memory_mib", r.MemoryMiB);
    if (IsJsonNumber(r.DiskGb))
        sink.NumberText("disk_gb", r.DiskGb);
    else
        sink.Null("disk_gb");
    f.Text("date", r.Date);
    f.Text("paint_platform", r.PaintPlatform);
    f.Text("file_system", r.FileSystem);
    f.Text("storage_kind", r.StorageKind);
    f.Integer("run", r.Run);
    f.Integer("runs", r.Runs);
    f.Text("cpu_brand", r.CpuBrand);
    f.Integer("logical_cpus", r.LogicalCpus);
    f.Bool("hypervisor", r.Hypervisor);
    f.Text("os", r.Os);
    f.Text("kernel", r.Kernel);
    f.Text("host", r.Host);
    f.Text("started", r.Started);
    f.Number("load_average", r.LoadAverage);
    f.Integer("memory_block_mib", r.MemoryBlockMiB);
    f.Integer("shapes", r.Shapes);
    f.Integer("cpus_allowed", r.CpusAllowed);
    f.Text("hypervisor_vendor", r.HypervisorVendor);
    f.Text("arch", r.Arch);
    f.Text("version", r.Version);
    f.Text("file", r.File);
    f.Integer("file_bytes", r.FileBytes);

    const TEveryCoreDetails core = r.EveryCore.value_or(TEveryCoreDetails{});
    sink.Begin("every_core", r.EveryCore.has_value());
    f.Present(r.EveryCore.has_value());
    f.Integer("physical_cores", core.PhysicalCores);
    f.Integer("cpus_used", core.CpusUsed);
    f.Integer("smt", core.Smt);
    f.Integer("numa_nodes", core.NumaNodes);
    f.Number("scaling", r.EveryCore ? core.Scaling : std::nullopt);
    sink.CoreKinds("core_kinds", core.CoreKinds);
    sink.End();

    const TDiskDetails disk = r.Disk.value_or(TDiskDetails{});
    const bool diskRan = r.Disk.has_value();
    sink.Begin("disk", diskRan);
    f.Present(diskRan);
    f.Text("folder", disk.Folder);
    f.Integer("file_mib", disk.FileMiB);
    f.Number("seconds", disk.Seconds);
    f.Number("rnd4k_q32_read_iops", disk.Rnd4KQ32ReadIops);
    f.Number("rnd4k_q1_read_iops", disk.Rnd4KQ1ReadIops);
    f.Number("rnd4k_q32_write_iops", disk.Rnd4KQ32WriteIops);
    f.Number("rnd4k_q1_write_iops", disk.Rnd4KQ1WriteIops);
    f.Text("file_system", disk.FileSystem);
    f.Text("storage_kind", disk.StorageKind);
    f.Text("device_model", disk.DeviceModel);
    sink.End();

    const TRunConditions c = r.Conditions.value_or(TRunConditions{});
    sink.Begin("conditions", r.Conditions.has_value());
    f.Present(r.Conditions.has_value());
    f.Number("thread_cpu_share", c.ThreadCpuShare);
    f.Number("other_cpu_before_pct", c.OtherCpuBeforePct);
    f.Number("other_cpu_during_pct", c.OtherCpuDuringPct);
    f.Number("steal_pct", c.StealPct);
    f.Number("clock_min_mhz", c.ClockMinMHz);
    f.Number("clock_max_mhz", c.ClockMaxMHz);
    f.Text("governor", c.Governor);
    f.Integer("throttle_events", c.ThrottleEvents);
    f.Number("max_temperature_c", c.MaxTemperatureC);
    f.Bool("on_battery", c.OnBattery);
    sink.TextList("disturbances", c.Disturbances);
    sink.End();
    f.Present(true);
    f.Bool("quiet", r.Conditions ? std::optional<bool>(c.Quiet) : std::nullopt);
    f.Text("line", r.Line.empty() ? std::optional<std::string>() : Cp1251ToUtf8(r.Line));
}

bool IsJsonNumber(std::string_view t)
{
    return !t.empty() && JsonNumberLength(t) == t.size();
}

std::size_t JsonNumberLength(std::string_view t)
{
    std::size_t i = 0;
    if (i < t.size() && t[i] == '-') ++i;
    const std::size_t digits = i;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
    if (i == digits || (t[digits] == '0' && i - digits > 1)) return 0;
    if (i < t.size() && t[i] == '.') {
        const std::size_t fraction = ++i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
        if (i == fraction) return 0;
    }
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        const std::size_t exponent = i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
        if (i == exponent) return 0;
    }
    return i;
}

// The length of the UTF-8 character at the start of `s`, 0 when it is not
// one (a stray byte, an overlong form, a surrogate, beyond U+10FFFF).
std::size_t Utf8Length(std::string_view s)
{
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const auto cont = [&](std::size_t i) { return i < s.size() && (b(i) & 0xC0) == 0x80; };
    const unsigned char lead = b(0);
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return cont(1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (!cont(1) || !cont(2)) return 0;
        if (lead == 0xE0 && b(1) < 0xA0) return 0;   // overlong
        if (lead == 0xED && b(1) >= 0xA0) return 0;  // a surrogate
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (!cont(1) || !cont(2) || !cont(3)) return 0;
        if (lead == 0xF0 && b(1) < 0x90) return 0;   // overlong
        if (lead == 0xF4 && b(1) >= 0x90) return 0;  // beyond U+10FFFF
        return 4;
    }
    return 0;
}

// `text` with each byte that does not belong to a UTF-8 character replaced
// by the character of its number (U+0080 to U+00FF).
std::string ValidUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const auto byte = static_cast<unsigned char>(text.front());
        const std::size_t n = Utf8Length(text);
        if (n == 0) {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
            text.remove_prefix(1);
        } else {
            out.append(text.substr(0, n));
            text.remove_prefix(n);
        }
    }
    return out;
}

void AppendJsonString(std::string& out, std::string_view text)
{
    const std::string valid = ValidUtf8(text);
    out += '"';
    for (const char c : valid) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    out += '"';
}

void AppendShortest(std::string& out, double value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
}

class TJsonSink final : public TSink {
public:
    explicit TJsonSink(std::string& out) : out_(out) { out_ += '{'; }
    void Finish() { out_ += '}'; }

    void Null(const char* name) override
    {
        if (Key(name)) out_ += "null";
    }
    void Number(const char* name, double value) override
    {
        if (Key(name)) AppendShortest(out_, value);
    }
    void Integer(const char* name, std::int64_t value) override
    {
        if (Key(name)) out_ += std::to_string(value);
    }
    void NumberText(const char* name, std::string_view text) override
    {
        if (Key(name)) out_ += text;
    }
    void Text(const char* name, std::string_view utf8) override
    {
        if (Key(name)) AppendJsonString(out_, utf8);
    }
    void Bool(const char* name, bool value) override
    {
        if (Key(name)) out_ += value ? "true" : "false";
    }
    void IntList(const char* name, const std::vector<int>& values) override
    {
        if (!Key(name)) return;
        out_ += '[';
        for (std::size_t i = 0; i < values.size(); ++i)
            out_ += (i ? "," : "") + std::to_string(values[i]);
        out_ += ']';
    }
    void TextList(const char* name, const std::vector<std::string>& values) override
    {
        if (!Key(name)) return;
        out_ += '[';
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (i) out_ += ", ";
            AppendJsonString(out_, values[i]);
        }
        out_ += ']';
    }
    void CoreKinds(const char* name, const std::vector<TCoreKindFigure>& kinds) override
    {
        if (!Key(name)) return;
        out_ += '[';
        for (std::size_t i = 0; i < kinds.size(); ++i) {
            out_ += i ? ", {" : "{";
            TJsonSink inner(out_, /*open=*/false);
            inner.Text("kind", kinds[i].Kind);
            inner.IntList("cpus", kinds[i].Cpus);
            inner.Number("cycles_per_sec", kinds[i].CyclesPerSec);
            out_ += '}';
        }
        out_ += ']';
    }
    void Begin(const char* name, bool present) override
    {
        if (!Key(name)) {
            ++skipped_;
            return;
        }
        if (!present) {
            out_ += "null";
            ++skipped_;
            return;
        }
        out_ += '{';
        first_ = true;
    }
    void End() override
    {
        if (skipped_ > 0) {
            --skipped_;
        } else {
            out_ += '}';
        }
        first_ = false;
    }

private:
    TJsonSink(std::string& out, bool) : out_(out) {}

    // Writes the member's name; false inside an object written as null.
    bool Key(const char* name)
    {
        if (skipped_ > 0) return false;
        if (!first_) out_ += ", ";
        first_ = false;
        AppendJsonString(out_, name);
        out_ += ": ";
        return true;
    }

    std::string& out_;
    bool first_ = true;
    int skipped_ = 0;
};

class TCsvSink final : public TSink {
public:
    std::vector<std::string> Names, Cells;

    void Null(const char* name) override { Add(name, ""); }
    void Number(const char* name, double value) override
    {
        std::string text;
        AppendShortest(text, value);
        Add(name, text);
    }
    void Integer(const char* name, std::int64_t value) override
    {
        Add(name, std::to_string(value));
    }
    void NumberText(const char* name, std::string_view text) override
    {
        Add(name, std::string(text));
    }
    void Text(const char* name, std::string_view utf8) override
    {
        Add(name, CsvField(ValidUtf8(utf8)));
    }
    void Bool(const char* name, bool value) override { Add(name, value ? "true" : "false"); }
    void IntList(const char* name, const std::vector<int>& values) override
    {
        std::string text;
        for (std::size_t i = 0; i < values.size(); ++i)
            text += (i ? " " : "") + std::to_string(values[i]);
        Add(name, CsvField(text));
    }
    void TextList(const char* name, const std::vector<std::string>& values) override
    {
        std::string text;
        for (std::size_t i = 0; i < values.size(); ++i) text += (i ? "; " : "") + values[i];
        Text(name, text);
    }
    void CoreKinds(const char* name, const std::vector<TCoreKindFigure>& kinds) override
    {
        if (kinds.empty()) return Add(name, "");
        std::string json;
        TJsonSink sink(json);
        sink.CoreKinds("k", kinds);
        sink.Finish();
        // {"k": [...]} less its member name.
        Add(name, CsvField(std::string_view(json).substr(6, json.size() - 7)));
    }
    void Begin(const char* name, bool) override { prefix_ = std::string(name) + "_"; }
    void End() override { prefix_.clear(); }

private:
    void Add(const char* name, std::string cell)
    {
        Names.push_back(prefix_ + name);
        Cells.push_back(std::move(cell));
    }
    std::string prefix_;
};

// ---------------------------------------------------------------------------
// Reading.

constexpr int kDeepest = 32;

enum TKey : int {
    kDescription,
    kDiskLabel,
    kTests,
    kCpuVendor,
    kCpuModel,
    kCpuMhz,
    kMemoryMib,
    kDiskGb,
    kDate,
    kPaintPlatform,
    kFileSystem,
    kStorageKind,
    kRun,
    kRuns,
    kCpuBrand,
    kLogicalCpus,
    kHypervisor,
    kOs,
    kKernel,
    kHost,
    kStarted,
    kLoadAverage,
    kMemoryBlockMib,
    kShapes,
    kCpusAllowed,
    kHypervisorVendor,
    kArch,
    kVersion,
    kFile,
    kFileBytes,
    kEveryCore,
    kDisk,
    kConditions,
    kQuiet,
    kLine,
    kFirstScore,  // then one key per row of the score table
};

const std::unordered_map<std::string_view, int>& RecordKeys()
{
    static const std::unordered_map<std::string_view, int> keys = [] {
        std::unordered_map<std::string_view, int> k = {
            {"description", kDescription},
            {"disk_label", kDiskLabel},
            {"tests", kTests},
            {"cpu_vendor", kCpuVendor},
            {"cpu_model", kCpuModel},
            {"cpu_mhz", kCpuMhz},
            {"memory_mib", kMemoryMib},
            {"disk_gb", kDiskGb},
            {"date", kDate},
            {"paint_platform", kPaintPlatform},
            {"file_system", kFileSystem},
            {"storage_kind", kStorageKind},
            {"run", kRun},
            {"runs", kRuns},
            {"cpu_brand", kCpuBrand},
            {"logical_cpus", kLogicalCpus},
            {"hypervisor", kHypervisor},
            {"os", kOs},
            {"kernel", kKernel},
            {"host", kHost},
            {"started", kStarted},
            {"load_average", kLoadAverage},
            {"memory_block_mib", kMemoryBlockMib},
            {"shapes", kShapes},
            {"cpus_allowed", kCpusAllowed},
            {"hypervisor_vendor", kHypervisorVendor},
            {"arch", kArch},
            {"version", kVersion},
            {"file", kFile},
            {"file_bytes", kFileBytes},
            {"every_core", kEveryCore},
            {"disk", kDisk},
            {"conditions", kConditions},
            {"quiet", kQuiet},
            {"line", kLine},
        };
        for (std::size_t i = 0; i < kScoreTable.size(); ++i)
            k.emplace(kScoreTable[i].Name, kFirstScore + static_cast<int>(i));
        return k;
    }();
    return keys;
}

// The members in the order RecordToJson writes them.
const std::vector<std::pair<std::string_view, int>>& RecordKeyOrder()
{
    static const std::vector<std::pair<std::string_view, int>> order = [] {
        std::vector<std::string_view> names(kFirstScore + kScoreTable.size());
        for (const auto& [name, key] : RecordKeys()) names[static_cast<std::size_t>(key)] = name;
        std::vector<std::pair<std::string_view, int>> o;
        for (const int key : {kDescription, kDiskLabel}) o.emplace_back(names[key], key);
        for (std::size_t i = 0; i < kScoreTable.size(); ++i)
            o.emplace_back(kScoreTable[i].Name, kFirstScore + static_cast<int>(i));
        for (int key = kTests; key < kFirstScore; ++key)
            o.emplace_back(names[static_cast<std::size_t>(key)], key);
        return o;
    }();
    return order;
}

class TReader {
public:
    TReader(std::string_view text, std::string& error)
        : begin_(text.data()), p_(text.data()), end_(text.data() + text.size()), error_(error)
    {
    }

    bool Fail(const char* what)
    {
        if (error_.empty())
            error_ = std::string(what) + " at byte " + std::to_string(p_ - begin_ + 1);
        return false;
    }
    void Blanks()
    {
        while (p_ < end_ && (*p_ == ' ' || *p_ == '\t' || *p_ == '\n' || *p_ == '\r')) ++p_;
    }
    bool AtEnd()
    {
        Blanks();
        return p_ == end_;
    }
    bool Take(char c)
    {
        Blanks();
        if (p_ < end_ && *p_ == c) {
            ++p_;
            return true;
        }
        return false;
    }
    bool Expect(char c, const char* what) { return Take(c) || Fail(what); }
    bool Null()
    {
        Blanks();
        if (end_ - p_ >= 4 && std::string_view(p_, 4) == "null") {
            p_ += 4;
            return true;
        }
        return false;
    }

    // A string; `view` points into the text when it has no escapes, else
    // into `scratch`.
    bool String(std::string_view& view, std::string& scratch)
    {
        Blanks();
        if (p_ == end_ || *p_ != '"') return Fail("a text expected");
        ++p_;
        const char* start = p_;
        // The common case: plain ASCII up to the closing quote.
        static const std::array<bool, 256> plain = [] {
            std::array<bool, 256> t{};
            for (int c = 0x20; c < 0x80; ++c)
                t[static_cast<std::size_t>(c)] = c != '"' && c != '\\';
            return t;
        }();
        while (p_ < end_ && plain[static_cast<unsigned char>(*p_)]) ++p_;
        if (p_ < end_ && *p_ == '"') {
            view = std::string_view(start, static_cast<std::size_t>(p_ - start));
            ++p_;
            return true;
        }
        scratch.assign(start, p_);
        while (p_ < end_) {
            const auto c = static_cast<unsigned char>(*p_);
            if (c == '"') {
                ++p_;
                view = scratch;
                return true;
            }
            if (c < 0x20) return Fail("a control character in a text");
            if (c >= 0x80) {
                const std::size_t n =
                    Utf8Length(std::string_view(p_, static_cast<std::size_t>(end_ - p_)));
                if (n == 0) return Fail("a text that is not UTF-8");
                scratch.append(p_, n);
                p_ += n;
                continue;
            }
            if (c != '\\') {
                scratch += static_cast<char>(c);
                ++p_;
                continue;
            }
            if (++p_ == end_) break;
            const char e = *p_++;
            switch (e) {
                case '"':
                case '\\':
                case '/':
                    scratch += e;
                    break;
                case 'b':
                    scratch += '\b';
                    break;
                case 'f':
                    scratch += '\f';
                    break;
                case 'n':
                    scratch += '\n';
                    break;
                case 'r':
                    scratch += '\r';
                    break;
                case 't':
                    scratch += '\t';
                    break;
                case 'u': {
                    std::uint32_t cp = 0;
                    if (!Hex4(cp)) return false;
                    if (cp >= 0xD800 && cp <= 0xDBFF) {
                        std::uint32_t low = 0;
                        if (end_ - p_ < 2 || p_[0] != '\\' || p_[1] != 'u')
                            return Fail("a lone surrogate");
                        p_ += 2;
                        if (!Hex4(low)) return false;
                        if (low < 0xDC00 || low > 0xDFFF) return Fail("a lone surrogate");
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                    } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
                        return Fail("a lone surrogate");
                    }
                    AppendUtf8(scratch, cp);
                    break;
                }
                default:
                    return Fail("an unknown escape");
            }
        }
        return Fail("a text not closed");
    }

    bool String(std::string& out)
    {
        std::string_view view;
        if (!String(view, scratch_)) return false;
        out.assign(view);
        return true;
    }

    // A number's text, checked against JSON's grammar.
    bool NumberText(std::string_view& text)
    {
        Blanks();
        const char* start = p_;
        const std::size_t length =
            JsonNumberLength(std::string_view(start, static_cast<std::size_t>(end_ - start)));
        // A number runs to a character that cannot continue it.
        const char* after = start + length;
        if (length == 0 ||
            (after < end_ && (std::isdigit(static_cast<unsigned char>(*after)) || *after == '.' ||
                              *after == 'e' || *after == 'E' || *after == '+' || *after == '-')))
            return Fail("a number expected");
        p_ = after;
        text = std::string_view(start, length);
        return true;
    }

    bool Number(double& value)
    {
        std::string_view text;
        if (!NumberText(text)) return false;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
            return Fail("a number out of range");
        return true;
    }

    template <class T>
    bool Integer(T& value)
    {
        std::string_view text;
        if (!NumberText(text)) return false;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec != std::errc() || end != text.data() + text.size())
            return Fail("a whole number expected");
        return true;
    }

    bool Bool(bool& value)
    {
        Blanks();
        if (end_ - p_ >= 4 && std::string_view(p_, 4) == "true") {
            p_ += 4;
            value = true;
            return true;
        }
        if (end_ - p_ >= 5 && std::string_view(p_, 5) == "false") {
            p_ += 5;
            value = false;
            return true;
        }
        return Fail("true or false expected");
    }

    template <class T, class Read>
    bool Optional(std::optional<T>& value, Read read)
    {
        if (Null()) {
            value.reset();
            return true;
        }
        T v{};
        if (!read(v)) return false;
        value = std::move(v);
        return true;
    }
    bool OptionalNumber(std::optional<double>& v)
    {
        return Optional(v, [&](double& x) { return Number(x); });
    }
    template <class T>
    bool OptionalInteger(std::optional<T>& v)
    {
        return Optional(v, [&](T& x) { return Integer(x); });
    }
    bool OptionalText(std::optional<std::string>& v)
    {
        return Optional(v, [&](std::string& x) { return String(x); });
    }
    // A text where null means empty.
    bool TextOrNull(std::string& v)
    {
        if (Null()) {
            v.clear();
            return true;
        }
        return String(v);
    }

    template <class Element>
    bool Array(Element element)
    {
        if (!Expect('[', "a list expected")) return false;
        if (Take(']')) return true;
        do {
            if (!element()) return false;
        } while (Take(','));
        return Expect(']', "\",\" or \"]\" expected");
    }

    // An object: `member` is called with each name, the reader before its
    // value.
    template <class Member>
    bool Object(Member member)
    {
        if (!Expect('{', "an object expected")) return false;
        if (Take('}')) return true;
        do {
            // The name stays valid until the next name is read: a member
            // looks at it before it reads its value.
            std::string_view name;
            if (!String(name, keyScratch_)) return false;
            if (!Expect(':', "\":\" expected")) return false;
            if (!member(name)) return false;
        } while (Take(','));
        return Expect('}', "\",\" or \"}\" expected");
    }

    // Passes over any value.
    bool Skip(int depth)
    {
        if (depth > kDeepest) return Fail("nested too deep");
        Blanks();
        if (p_ == end_) return Fail("a value expected");
        switch (*p_) {
            case '"': {
                std::string_view view;
                return String(view, scratch_);
            }
            case '{':
                return Object([&](std::string_view) { return Skip(depth + 1); });
            case '[':
                return Array([&] { return Skip(depth + 1); });
            case 't':
            case 'f': {
                bool b = false;
                return Bool(b);
            }
            case 'n':
                return Null() || Fail("a value expected");
            default: {
                std::string_view text;
                return NumberText(text);
            }
        }
    }

private:
    bool Hex4(std::uint32_t& cp)
    {
        if (end_ - p_ < 4) return Fail("a short \\u escape");
        for (int i = 0; i < 4; ++i) {
            const char c = *p_++;
            cp <<= 4;
            if (c >= '0' && c <= '9')
                cp |= static_cast<std::uint32_t>(c - '0');
            else if (c >= 'a' && c <= 'f')
                cp |= static_cast<std::uint32_t>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                cp |= static_cast<std::uint32_t>(c - 'A' + 10);
            else
                return Fail("a bad \\u escape");
        }
        return true;
    }
    static void AppendUtf8(std::string& out, std::uint32_t cp)
    {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }

    const char* begin_;
    const char* p_;
    const char* end_;
    std::string& error_;
    std::string scratch_, keyScratch_;
};

bool ReadEveryCore(TReader& in, TEveryCoreDetails& d)
{
    return in.Object([&](std::string_view key) {
        if (key == "physical_cores") return in.Integer(d.PhysicalCores);
        if (key == "cpus_used") return in.Integer(d.CpusUsed);
        if (key == "smt") return in.Integer(d.Smt);
        if (key == "numa_nodes") return in.Integer(d.NumaNodes);
        if (key == "scaling") return in.OptionalNumber(d.Scaling);
        if (key == "core_kinds") {
            d.CoreKinds.clear();
            return in.Null() || in.Array([&] {
                TCoreKindFigure kind;
                const bool ok = in.Object([&](std::string_view k) {
                    if (k == "kind") return in.String(kind.Kind);
                    if (k == "cpus")
                        return in.Array([&] {
                            int cpu = 0;
                            if (!in.Integer(cpu)) return false;
                            kind.Cpus.push_back(cpu);
                            return true;
                        });
                    if (k == "cycles_per_sec") return in.Number(kind.CyclesPerSec);
                    return in.Skip(3);
                });
                d.CoreKinds.push_back(std::move(kind));
                return ok;
            });
        }
        return in.Skip(2);
    });
}

bool ReadDisk(TReader& in, TDiskDetails& d)
{
    return in.Object([&](std::string_view key) {
        if (key == "folder") return in.TextOrNull(d.Folder);
        if (key == "file_mib") return in.Integer(d.FileMiB);
        if (key == "seconds") return in.Number(d.Seconds);
        if (key == "rnd4k_q32_read_iops") return in.OptionalNumber(d.Rnd4KQ32ReadIops);
        if (key == "rnd4k_q1_read_iops") return in.OptionalNumber(d.Rnd4KQ1ReadIops);
        if (key == "rnd4k_q32_write_iops") return in.OptionalNumber(d.Rnd4KQ32WriteIops);
        if (key == "rnd4k_q1_write_iops") return in.OptionalNumber(d.Rnd4KQ1WriteIops);
        if (key == "file_system") return in.OptionalText(d.FileSystem);
        if (key == "storage_kind") return in.OptionalText(d.StorageKind);
        if (key == "device_model") return in.OptionalText(d.DeviceModel);
        return in.Skip(2);
    });
}

bool ReadConditions(TReader& in, TRunConditions& c)
{
    return in.Object([&](std::string_view key) {
        if (key == "thread_cpu_share") return in.OptionalNumber(c.ThreadCpuShare);
        if (key == "other_cpu_before_pct") return in.OptionalNumber(c.OtherCpuBeforePct);
        if (key == "other_cpu_during_pct") return in.OptionalNumber(c.OtherCpuDuringPct);
        if (key == "steal_pct") return in.OptionalNumber(c.StealPct);
        if (key == "clock_min_mhz") return in.OptionalNumber(c.ClockMinMHz);
        if (key == "clock_max_mhz") return in.OptionalNumber(c.ClockMaxMHz);
        if (key == "governor") return in.OptionalText(c.Governor);
        if (key == "throttle_events") return in.OptionalInteger(c.ThrottleEvents);
        if (key == "max_temperature_c") return in.OptionalNumber(c.MaxTemperatureC);
        if (key == "on_battery")
            return in.Optional(c.OnBattery, [&](bool& b) { return in.Bool(b); });
        if (key == "disturbances") {
            c.Disturbances.clear();
            return in.Null() || in.Array([&] {
                std::string text;
                if (!in.String(text)) return false;
                c.Disturbances.push_back(std::move(text));
                return true;
            });
        }
        return in.Skip(2);
    });
}

// A text member that was written as null or "" when the test did not run.
bool ReadTestText(TReader& in, std::optional<std::string>& value)
{
    if (!in.OptionalText(value)) return false;
    if (value && value->empty()) value.reset();
    return true;
}

}  // namespace

std::string RecordToJson(const TRunRecord& record)
{
    std::string out;
    out.reserve(2048);
    TJsonSink sink(out);
    Describe(record, sink);
    sink.Finish();
    return out;
}

std::vector<std::string> RecordCsvNames()
{
    TCsvSink sink;
    Describe(TRunRecord{}, sink);
    return sink.Names;
}

std::vector<std::string> RecordCsvCells(const TRunRecord& record)
{
    TCsvSink sink;
    Describe(record, sink);
    return sink.Cells;
}

bool LooksLikeJsonRecord(std::string_view line)
{
    const std::size_t first = line.find_first_not_of(" \t");
    return first != std::string_view::npos && line[first] == '{';
}

bool ParseRecordJson(std::string_view text, TRunRecord& r, std::string& error)
{
    error.clear();
    r = TRunRecord{};
    TReader in(text, error);
    bool description = false, label = false, tests = false;
    std::optional<bool> quiet;
    std::optional<TRunConditions> conditions;
    std::string line;
    const auto& keys = RecordKeys();
    const auto& order = RecordKeyOrder();
    std::size_t next = 0;  // where the written order says the next member is
    const bool ok = in.Object([&](std::string_view name) {
        // Records come in the order they are written: the next name is
        // checked first, the table asked only when another stands there.
        int key = -1;
        if (next < order.size() && order[next].first == name) {
            key = order[next++].second;
        } else {
            const auto found = keys.find(name);
            if (found == keys.end()) return in.Skip(1);
            key = found->second;
        }
        if (key >= kFirstScore) {
            const TScoreRow& row = kScoreTable[static_cast<std::size_t>(key - kFirstScore)];
            double& value = r.Scores.*row.Value;
            value = 0;
            return in.Null() || in.Number(value);
        }
        switch (static_cast<TKey>(key)) {
            case kDescription:
                description = true;
                return in.String(r.Description);
            case kDiskLabel:
                label = true;
                return in.String(r.Label);
            case kTests:
                tests = true;
                r.Tests.clear();
                return in.Array([&] {
                    int test = 0;
                    if (!in.Integer(test)) return false;
                    r.Tests.push_back(test);
                    return true;
                });
            case kCpuVendor:
                return in.TextOrNull(r.Vendor);
            case kCpuModel:
                return in.TextOrNull(r.Model);
            case kCpuMhz:
                return in.Null() || in.Number(r.CpuMHz);
            case kMemoryMib:
                return in.Null() || in.Integer(r.MemoryMiB);
            case kDiskGb: {
                std::string_view number;
                if (in.Null()) return true;
                if (!in.NumberText(number)) return false;
                r.DiskGb.assign(number);
                return true;
            }
            case kDate:
                return in.TextOrNull(r.Date);
            case kPaintPlatform:
                return in.TextOrNull(r.PaintPlatform);
            case kFileSystem:
                return ReadTestText(in, r.FileSystem);
            case kStorageKind:
                return ReadTestText(in, r.StorageKind);
            case kRun:
                return in.Integer(r.Run);
            case kRuns:
                return in.Integer(r.Runs);
            case kCpuBrand:
                return in.TextOrNull(r.CpuBrand);
            case kLogicalCpus:
                return in.Null() || in.Integer(r.LogicalCpus);
            case kHypervisor:
                return in.Null() || in.Bool(r.Hypervisor);
            case kOs:
                return in.TextOrNull(r.Os);
            case kKernel:
                return in.TextOrNull(r.Kernel);
            case kHost:
                return in.TextOrNull(r.Host);
            case kStarted:
                return in.TextOrNull(r.Started);
            case kLoadAverage:
                return in.OptionalNumber(r.LoadAverage);
            case kMemoryBlockMib:
                return in.OptionalInteger(r.MemoryBlockMiB);
            case kShapes:
                return in.OptionalInteger(r.Shapes);
            case kCpusAllowed:
                return in.Null() || in.Integer(r.CpusAllowed);
            case kHypervisorVendor:
                return in.OptionalText(r.HypervisorVendor);
            case kArch:
                return in.TextOrNull(r.Arch);
            case kVersion:
                return in.TextOrNull(r.Version);
            case kFile:
                return in.OptionalText(r.File);
            case kFileBytes:
                return in.OptionalInteger(r.FileBytes);
            case kEveryCore:
                return in.Optional(r.EveryCore,
                                   [&](TEveryCoreDetails& d) { return ReadEveryCore(in, d); });
            case kDisk:
                return in.Optional(r.Disk, [&](TDiskDetails& d) { return ReadDisk(in, d); });
            case kConditions:
                return in.Optional(conditions,
                                   [&](TRunConditions& c) { return ReadConditions(in, c); });
            case kQuiet:
                return in.Optional(quiet, [&](bool& b) { return in.Bool(b); });
            case kLine:
                return in.TextOrNull(line);
            case kFirstScore:
                break;
        }
        return in.Skip(1);
    });
    if (!ok) return false;
    if (!in.AtEnd()) return in.Fail("more after the record");
    if (!description || !label || !tests) {
        error = !description ? "no description" : !label ? "no disk_label" : "no tests";
        return false;
    }
    // The verdict stands beside the conditions it was drawn from.
    if (conditions) {
        conditions->Quiet = quiet.value_or(true);
        r.Conditions = std::move(conditions);
    } else if (quiet) {
        r.Conditions = TRunConditions{};
        r.Conditions->Quiet = *quiet;
    }
    if (!line.empty()) r.Line = Utf8ToCp1251(line);
    return true;
}

}  // namespace vt
