#include "results/results_log.h"

#include <algorithm>

#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/log_file.h"
#include "results/result_line.h"
#include "results/score_table.h"

namespace vt {

namespace {

// `text` padded on the right with blanks to `width` bytes.
std::string PadRight(std::string text, std::size_t width)
{
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

// Line `index` (0 to 2) of a caption whose lines are split at "\n".
std::string_view CaptionLine(std::string_view caption, int index)
{
    for (; index > 0; --index) {
        const std::size_t lf = caption.find('\n');
        caption = lf == std::string_view::npos ? std::string_view() : caption.substr(lf + 1);
    }
    return caption.substr(0, caption.find('\n'));
}

// The caption lines, then the rule under them, of one column.
void AddColumn(std::array<std::string, 5>& header, std::string_view caption, std::size_t width,
               char separator)
{
    for (int i = 0; i < 3; ++i) {
        if (separator) header[static_cast<std::size_t>(i) + 1] += separator;
        header[static_cast<std::size_t>(i) + 1] += PadRight(Ansi(CaptionLine(caption, i)), width);
    }
    if (separator) header[4] += separator;
    header[4].append(width, '-');
}

}  // namespace

const std::array<std::string, 5>& ResultsLogHeader()
{
    // A column per field of the result line after a "|", as wide as the
    // field; a field after a "/" widens the column before it.
    static const std::array<std::string, 5> header = [] {
        std::array<std::string, 5> h;
        AddColumn(h, "\n            Описание", kDescriptionWidth + 1 + kDiskLabelWidth, 0);
        for (std::size_t i = 0; i < kLineScores.size(); ++i) {
            auto width = static_cast<std::size_t>(kLineScores[i].LineWidth);
            for (std::size_t j = i + 1;
                 j < kLineScores.size() && kLineScores[j].LineSeparator == '/'; ++j)
                width += 1 + static_cast<std::size_t>(kLineScores[j].LineWidth);
            if (kLineScores[i].LineSeparator == '|')
                AddColumn(h, kLineScores[i].LogCaption, width, '|');
        }
        h[0] = std::string(h[4].size(), '-');
        return h;
    }();
    return header;
}

namespace results_log {

namespace {

// `line` with its CR LF after `lead` (the header, or the end of a cut line),
// in one write, so that a failure or a kill leaves whole lines before it and
// a new log never holds only part of its header.
void WriteLines(TAppendFile& file, std::string_view lead, std::string_view line)
{
    std::string bytes(lead);
    bytes += line;
    bytes += "\r\n";
    file.Write(bytes);
}

}  // namespace

void Append(const std::string& path, std::string_view line)
{
    TAppendFile file(path);
    // An empty log, one whose creation was cut short before anything was
    // written, gets the header as a new one does.
    const std::optional<std::int64_t> size = file.RegularFileSize();
    const bool created = file.Created() || (size && *size == 0);
    std::string lead;
    if (created) {
        for (const std::string& h : ResultsLogHeader()) lead += h + "\r\n";
    } else if (size && *size > 0) {
        // The last line was cut short (a Save killed in its write, a file
        // edited by hand): it is ended first, so that the new line stays
        // whole. When the last byte cannot be read the line is taken as whole.
        const std::optional<char> last = file.ByteAt(path, *size - 1);
        if (last && *last != '\n') lead = "\r\n";
    }
    WriteLines(file, lead, line);
    // The lines went to the system in one write; nothing is left in a buffer
    // of ours, so closing is the flush.
    file.Close();
}

std::optional<std::string> AppendProblem(const std::string& path)
{
    const TAppendCheck check = CheckAppend(path);
    std::string where = path;
    if (check.Path != path) where += " (its link leads to " + check.Path + ")";
    std::string reason;
    if (check.Error == EISDIR) {
        reason = "it is a folder";
    } else if (check.Error == kNotARegularFile) {
        reason = "it is not a regular file";
    } else if (check.Error != 0) {
        reason = ErrnoText(check.Error);
    } else if (check.Exists) {
        std::size_t headerSize = 0;
        for (const std::string& h : ResultsLogHeader()) headerSize += h.size() + 2;
        try {
            const std::optional<std::string> start = ReadFileStart(check.Path, headerSize);
            if (start && !start->empty()) {
                std::vector<std::string> lines = SplitLines(*start);
                lines.resize(ResultsLogHeader().size());
                if (!std::equal(lines.begin(), lines.end(), ResultsLogHeader().begin()))
                    reason = "it is not a results log (it does not begin with the log's header)";
            }
        } catch (const EInOutError& e) {
            reason = ErrnoText(e.ErrorCode());
        }
    }
    if (reason.empty()) return std::nullopt;
    return where + ": " + reason;
}

std::optional<std::vector<std::string>> Load(const std::string& path)
{
    const std::optional<std::string> content = ReadFileBytes(path);
    if (!content) return std::nullopt;
    return SplitLines(*content);
}

std::vector<std::string> SplitLines(std::string_view content)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(std::string(content.substr(start)));
            break;
        }
        std::size_t stop = end;
        if (stop > start && content[stop - 1] == '\r') --stop;
        lines.push_back(std::string(content.substr(start, stop - start)));
        start = end + 1;
    }
    return lines;
}

}  // namespace results_log

}  // namespace vt
