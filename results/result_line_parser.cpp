#include "results/result_line_parser.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "platform/cp1251.h"
#include "results/result_line.h"
#include "results/results_log.h"
#include "results/score_table.h"

namespace vt {

namespace {

constexpr std::size_t kPrefixWidth = kDescriptionWidth + 1 + kDiskLabelWidth;  // 31

// A double holds 15 significant decimal digits exactly both ways.
constexpr int kMaxDigits = 15;

// Every line row has at most three decimals (score_table.h checks it).
constexpr std::array<double, 4> kPowersOfTen = {1, 10, 100, 1000};

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The outcome of reading one number field.
struct TFieldRead {
    double Value = 0;
    TLineFault Fault = TLineFault::None;
};

TFieldRead Fault(TLineFault fault)
{
    return {0, fault};
}

// The value of one number field in the canonical form FormatFixed writes, or
// why it is not one. `separator` is the decimal separator of the line: 0
// until the first field with decimals sets it. The last field of a line that
// is narrower than its width was cut short.
TFieldRead ReadField(std::string_view text, const TScoreRow& field, char& separator, bool last)
{
    std::size_t blanks = 0;
    while (blanks < text.size() && text[blanks] == ' ') ++blanks;
    std::string_view body = text.substr(blanks);
    const auto width = static_cast<std::size_t>(field.LineWidth);
    if (last && text.size() < width) return Fault(TLineFault::CutShort);
    bool digits = false;
    for (char c : body) {
        if (IsDigit(c))
            digits = true;
        else if (c != '.' && c != ',' && c != '-' && c != ' ')
            return Fault(TLineFault::NotANumber);
    }
    if (!digits) return Fault(TLineFault::NotANumber);
    // Padded exactly up to the width, or not padded at all when wider.
    if (body.size() < width ? text.size() != width : blanks != 0)
        return Fault(TLineFault::NotAsWritten);

    const bool negative = body.front() == '-';
    if (negative) body.remove_prefix(1);
    std::size_t integerDigits = 0;
    while (integerDigits < body.size() && IsDigit(body[integerDigits])) ++integerDigits;
    if (integerDigits == 0 || (integerDigits > 1 && body.front() == '0'))
        return Fault(TLineFault::NotAsWritten);
    const auto decimals = static_cast<std::size_t>(field.Decimals);
    if (decimals == 0) {
        if (body.size() != integerDigits) return Fault(TLineFault::NotAsWritten);
    } else {
        if (body.size() != integerDigits + 1 + decimals) return Fault(TLineFault::NotAsWritten);
        const char sep = body[integerDigits];
        if (sep != '.' && sep != ',') return Fault(TLineFault::NotAsWritten);
        for (std::size_t i = integerDigits + 1; i < body.size(); ++i)
            if (!IsDigit(body[i])) return Fault(TLineFault::NotAsWritten);
        if (separator == 0) separator = sep;
        if (sep != separator) return Fault(TLineFault::MixedSeparators);
    }
    if (integerDigits + decimals > kMaxDigits) return Fault(TLineFault::TooManyDigits);

    std::uint64_t mantissa = 0;
    bool allZero = true;
    for (char c : body) {
        if (!IsDigit(c)) continue;
        mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
        allZero = allZero && c == '0';
    }
    // FormatFixed writes a value that rounds to zero without a sign.
    if (negative && allZero) return Fault(TLineFault::NotAsWritten);
    // Both operands are exact, so the quotient is the double nearest to the
    // decimal text, which FormatFixed rounds back to the same text.
    const double value = static_cast<double>(mantissa) / kPowersOfTen[decimals];
    return {negative ? -value : value, TLineFault::None};
}

std::string_view TrimPadding(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

std::string_view TrimRight(std::string_view text)
{
    const std::size_t last = text.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

bool IsBlank(std::string_view line)
{
    return line.find_first_not_of(' ') == std::string_view::npos;
}

// A header line, also after an editor removed its trailing blanks.
bool IsHeaderLine(std::string_view line)
{
    line = TrimRight(line);
    for (const std::string& h : ResultsLogHeader())
        if (TrimRight(h) == line) return true;
    return false;
}

TResultRecord RecordOf(const TResultFields& fields, std::size_t lineNumber)
{
    return {std::string(fields.Description), std::string(fields.DiskLabel), fields.Scores,
            fields.DecimalSeparator, lineNumber};
}

TResultFields LineFault(TLineFault fault, int field = -1)
{
    TResultFields fields;
    fields.Fault = fault;
    fields.Field = field;
    return fields;
}

}  // namespace

TResultFields ReadResultLine(std::string_view line)
{
    if (line.size() > kLongestResultLine) return LineFault(TLineFault::TooLong);
    if (line.size() <= kPrefixWidth)
        return LineFault(line.size() > kDescriptionWidth && line[kDescriptionWidth] == '/'
                             ? TLineFault::CutShort
                             : TLineFault::NotAResultLine);
    if (line[kDescriptionWidth] != '/' || line[kPrefixWidth] != kLineScores[0].LineSeparator)
        return LineFault(TLineFault::NotAResultLine);
    // The edits the texts come from hold no control characters; a line with
    // them is junk, whatever else it looks like.
    for (std::size_t i = 0; i < kPrefixWidth; ++i)
        if (static_cast<unsigned char>(line[i]) < 0x20 || line[i] == 0x7F)
            return LineFault(TLineFault::ControlCharacter);

    TResultFields fields;
    fields.Description = TrimPadding(line.substr(0, kDescriptionWidth));
    fields.DiskLabel = TrimPadding(line.substr(kDescriptionWidth + 1, kDiskLabelWidth));
    char separator = 0;
    std::size_t pos = kPrefixWidth + 1;
    for (std::size_t i = 0; i < kLineScores.size(); ++i) {
        const int field = static_cast<int>(i);
        const bool last = i + 1 == kLineScores.size();
        std::size_t end = line.size();
        if (!last) {
            end = line.find(kLineScores[i + 1].LineSeparator, pos);
            if (end == std::string_view::npos) return LineFault(TLineFault::CutShort, field);
        }
        const TFieldRead read =
            ReadField(line.substr(pos, end - pos), kLineScores[i], separator, last);
        if (read.Fault != TLineFault::None) return LineFault(read.Fault, field);
        fields.Scores.*kLineScores[i].Value = read.Value;
        pos = end + 1;
    }
    fields.DecimalSeparator = separator;
    return fields;
}

std::string LineFaultText(TLineFault fault, int field)
{
    const std::string score = field >= 0 && static_cast<std::size_t>(field) < kLineScoreCount
                                  ? kLineScores[static_cast<std::size_t>(field)].Name
                                  : "a score";
    switch (fault) {
        case TLineFault::None:
            return {};
        case TLineFault::TooLong:
            return "too long for a result line";
        case TLineFault::NotAResultLine:
            return "not a result line";
        case TLineFault::ControlCharacter:
            return "a control character in the description";
        case TLineFault::CutShort:
            return "cut short";
        case TLineFault::NotANumber:
            return score + " is not a number";
        case TLineFault::NotAsWritten:
            return score + " is not written as a result line writes it";
        case TLineFault::MixedSeparators:
            return score + " has another decimal separator than the line's first score";
        case TLineFault::TooManyDigits:
            return score + " has more digits than can be read exactly";
        case TLineFault::NotARecord:
            return "begins as a record but is not one (cut short, or not JSON)";
    }
    return {};
}

std::optional<TResultRecord> ParseResultLine(std::string_view line)
{
    const TResultFields fields = ReadResultLine(line);
    if (fields.Fault != TLineFault::None) return std::nullopt;
    return RecordOf(fields, 0);
}

TLogLineReader::TLine TLogLineReader::Read(std::string_view line)
{
    TLine out;
    out.Number = ++number_;
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (number_ == 1 && line.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        utf8_ = true;
        line.remove_prefix(kByteOrderMark.size());
    }
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (utf8_) {
        converted_ = Utf8ToCp1251(line);
        line = converted_;
    }
    out.Fields = ReadResultLine(line);
    if (out.Fields.Fault == TLineFault::None)
        out.Kind = TKind::Result;
    else if (IsBlank(line) || IsHeaderLine(line))
        out.Kind = TKind::Passed;
    else
        out.Kind = TKind::Skipped;
    return out;
}

TParsedLog ParseResultsLog(std::string_view content)
{
    TParsedLog log;
    TLogLineReader reader;
    while (!content.empty()) {
        const std::size_t lf = content.find('\n');
        const TLogLineReader::TLine line = reader.Read(content.substr(0, lf));
        content = lf == std::string_view::npos ? std::string_view() : content.substr(lf + 1);
        if (line.Kind == TLogLineReader::TKind::Result)
            log.Records.push_back(RecordOf(line.Fields, line.Number));
        else if (line.Kind == TLogLineReader::TKind::Skipped) {
            log.Skipped.push_back({line.Number, line.Fields.Fault, line.Fields.Field});
        }
    }
    return log;
}

}  // namespace vt
