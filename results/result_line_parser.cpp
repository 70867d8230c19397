#include "results/result_line_parser.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "results/result_line.h"
#include "results/results_log.h"

namespace vt {

namespace {

// Where each score stands in the line and how FormatResultLine writes it.
struct TField {
    double TScores::*Score;
    int Width;
    int Decimals;
    char Before;  // the separator in front of the field
};

constexpr std::array<TField, 8> kFields = {{
    {&TScores::ListCreateTime, 6, 2, '|'},
    {&TScores::SortTime, 6, 3, '|'},
    {&TScores::SortOutputTime, 6, 2, '|'},
    {&TScores::FillMemSpeed, 4, 0, '|'},
    {&TScores::ReadMemSpeed, 4, 0, '/'},
    {&TScores::CyclesPerSec, 6, 1, '|'},
    {&TScores::DrawTime, 6, 2, '|'},
    {&TScores::HddSpeed, 5, 1, '|'},
}};

constexpr std::size_t kPrefixWidth = kDescriptionWidth + 1 + kDiskLabelWidth;  // 31

// A double holds 15 significant decimal digits exactly both ways.
constexpr int kMaxDigits = 15;

constexpr std::array<double, 4> kPowersOfTen = {1, 10, 100, 1000};

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The value of one number field in the canonical form FormatFixed writes, or
// nothing. `separator` is the decimal separator of the line: 0 until the
// first field with decimals sets it.
std::optional<double> ParseField(std::string_view text, const TField& field, char& separator)
{
    std::size_t blanks = 0;
    while (blanks < text.size() && text[blanks] == ' ') ++blanks;
    std::string_view body = text.substr(blanks);
    const auto width = static_cast<std::size_t>(field.Width);
    // Padded exactly up to the width, or not padded at all when wider.
    if (body.size() < width ? text.size() != width : blanks != 0) return std::nullopt;

    const bool negative = !body.empty() && body.front() == '-';
    if (negative) body.remove_prefix(1);
    std::size_t integerDigits = 0;
    while (integerDigits < body.size() && IsDigit(body[integerDigits])) ++integerDigits;
    if (integerDigits == 0 || (integerDigits > 1 && body.front() == '0')) return std::nullopt;
    const auto decimals = static_cast<std::size_t>(field.Decimals);
    if (integerDigits + decimals > kMaxDigits) return std::nullopt;
    if (decimals == 0) {
        if (body.size() != integerDigits) return std::nullopt;
    } else {
        if (body.size() != integerDigits + 1 + decimals) return std::nullopt;
        const char sep = body[integerDigits];
        if (sep != '.' && sep != ',') return std::nullopt;
        if (separator == 0) separator = sep;
        if (sep != separator) return std::nullopt;
        for (std::size_t i = integerDigits + 1; i < body.size(); ++i)
            if (!IsDigit(body[i])) return std::nullopt;
    }

    std::uint64_t mantissa = 0;
    bool allZero = true;
    for (char c : body) {
        if (!IsDigit(c)) continue;
        mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
        allZero = allZero && c == '0';
    }
    // FormatFixed writes a value that rounds to zero without a sign.
    if (negative && allZero) return std::nullopt;
    // Both operands are exact, so the quotient is the double nearest to the
    // decimal text, which FormatFixed rounds back to the same text.
    const double value = static_cast<double>(mantissa) / kPowersOfTen[decimals];
    return negative ? -value : value;
}

std::string TrimPadding(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string() : std::string(text.substr(first));
}

bool IsBlank(std::string_view line)
{
    return line.find_first_not_of(' ') == std::string_view::npos;
}

bool IsHeaderLine(std::string_view line)
{
    const auto& header = ResultsLogHeader();
    return std::find(header.begin(), header.end(), line) != header.end();
}

}  // namespace

std::optional<TResultRecord> ParseResultLine(std::string_view line)
{
    if (line.size() <= kPrefixWidth || line[kDescriptionWidth] != '/' ||
        line[kPrefixWidth] != kFields[0].Before)
        return std::nullopt;
    // The edits the texts come from hold no control characters; a line with
    // them is junk, whatever else it looks like.
    for (std::size_t i = 0; i < kPrefixWidth; ++i)
        if (static_cast<unsigned char>(line[i]) < 0x20 || line[i] == 0x7F) return std::nullopt;

    TResultRecord record;
    record.Description = TrimPadding(line.substr(0, kDescriptionWidth));
    record.DiskLabel = TrimPadding(line.substr(kDescriptionWidth + 1, kDiskLabelWidth));

    char separator = 0;
    std::size_t pos = kPrefixWidth + 1;
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        std::size_t end = line.size();
        if (i + 1 < kFields.size()) {
            end = line.find(kFields[i + 1].Before, pos);
            if (end == std::string_view::npos) return std::nullopt;
        }
        const auto value = ParseField(line.substr(pos, end - pos), kFields[i], separator);
        if (!value) return std::nullopt;
        record.Scores.*kFields[i].Score = *value;
        pos = end + 1;
    }
    record.DecimalSeparator = separator;
    return record;
}

TParsedLog ParseResultsLog(std::string_view content)
{
    TParsedLog log;
    std::size_t number = 0;
    while (!content.empty()) {
        const std::size_t lf = content.find('\n');
        std::string_view line = content.substr(0, lf);
        content = lf == std::string_view::npos ? std::string_view() : content.substr(lf + 1);
        if (lf != std::string_view::npos && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        ++number;
        if (auto record = ParseResultLine(line)) {
            record->LineNumber = number;
            log.Records.push_back(std::move(*record));
        } else if (!IsBlank(line) && !IsHeaderLine(line)) {
            log.SkippedLines.push_back(number);
        }
    }
    return log;
}

}  // namespace vt
