#include "compare/log_runs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstring>
#include <unordered_map>

#include "platform/cp1251.h"
#include "results/result_line.h"
#include "results/run_record_json.h"

namespace vt {

namespace {

// The piece of the file read at a time.
constexpr qint64 kPieceSize = 1 << 20;
// A line longer than this is kept only this far: it is too long for a result
// line or a record anyway, and a file without line breaks must not fill the
// memory.
constexpr std::size_t kLongestKept = 1 << 20;

std::string_view TrimBlanks(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Sorts each line into a record, a result line, a skipped line or one
// passed over, and counts the lines.
class TLineSorter {
public:
    explicit TLineSorter(const TLogLineCallback& onLine) : onLine_(onLine) {}

    void Read(std::string_view raw)
    {
        ++number_;
        if (!LooksLikeJsonRecord(raw)) {
            Give(reader_.Read(raw), nullptr, raw);
            return;
        }
        if (ParseRecordJson(raw, record_, error_)) {
            TLogLineReader::TLine line;
            line.Kind = TLogLineReader::TKind::Result;
            FillFromRecord(line.Fields);
            Give(line, &record_, raw);
            return;
        }
        // A result line whose description begins with "{" is still one.
        TLogLineReader::TLine line = reader_.Read(raw);
        if (line.Kind != TLogLineReader::TKind::Result) {
            line.Kind = TLogLineReader::TKind::Skipped;
            line.Fields.Fault = TLineFault::NotARecord;
            line.Fields.Field = -1;
        }
        Give(line, nullptr, raw);
    }

private:
    void Give(TLogLineReader::TLine line, const TRunRecord* record, std::string_view raw)
    {
        line.Number = number_;
        onLine_(line, record, raw);
    }

    // The record's scores, whole, and the description and label of its
    // line, so that its runs and the result lines of the same machine are
    // one machine; without a line, the texts as the line would take them.
    void FillFromRecord(TResultFields& fields)
    {
        fields.Scores = record_.Scores;
        const TResultFields ofLine = ReadResultLine(record_.Line);
        if (!record_.Line.empty() && ofLine.Fault == TLineFault::None) {
            fields.Description = ofLine.Description;
            fields.DiskLabel = ofLine.DiskLabel;
            fields.DecimalSeparator = ofLine.DecimalSeparator;
            return;
        }
        description_ = Utf8ToCp1251(record_.Description).substr(0, kDescriptionWidth);
        label_ = Utf8ToCp1251(record_.Label).substr(0, kDiskLabelWidth);
        fields.Description = TrimBlanks(description_);
        fields.DiskLabel = TrimBlanks(label_);
    }

    const TLogLineCallback& onLine_;
    TLogLineReader reader_;
    std::size_t number_ = 0;
    TRunRecord record_;
    std::string error_, description_, label_;
};

}  // namespace

QString ReadLogLines(const QString& path, const TLogLineCallback& onLine,
                     const std::atomic<bool>* stop)
{
    const auto stopped = [stop] { return stop && stop->load(std::memory_order_relaxed); };
    QFile file(path);
    if (path == QLatin1String("-")) {
        if (!file.open(stdin, QIODevice::ReadOnly)) return file.errorString();
    } else {
        if (QFileInfo(path).isDir()) return QStringLiteral("is a folder, not a log");
        if (!file.open(QIODevice::ReadOnly)) return file.errorString();
    }
    if (stopped()) return QStringLiteral("reading stopped");
    TLineSorter sorter(onLine);
    std::vector<char> piece(static_cast<std::size_t>(kPieceSize));
    std::string carry;  // the start of a line that the next piece ends
    for (;;) {
        if (stopped()) return QStringLiteral("reading stopped");
        const qint64 got = file.read(piece.data(), kPieceSize);
        if (got < 0) return file.errorString();
        if (got == 0) break;
        std::string_view rest(piece.data(), static_cast<std::size_t>(got));
        while (!rest.empty()) {
            const char* lf = static_cast<const char*>(std::memchr(rest.data(), '\n', rest.size()));
            const std::size_t length =
                lf ? static_cast<std::size_t>(lf - rest.data()) : rest.size();
            const std::string_view part = rest.substr(0, length);
            if (!lf) {
                carry.append(part.substr(0, kLongestKept - std::min(kLongestKept, carry.size())));
                break;
            }
            if (carry.empty()) {
                sorter.Read(part);
            } else {
                carry.append(part.substr(0, kLongestKept - std::min(kLongestKept, carry.size())));
                sorter.Read(carry);
                carry.clear();
            }
            rest.remove_prefix(length + 1);
        }
    }
    if (!carry.empty()) sorter.Read(carry);
    return {};
}

std::uint64_t ResultLineHash(std::string_view line)
{
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return std::hash<std::string_view>{}(line);
}

std::shared_ptr<TLogRuns> LoadLogRuns(const QString& path, const std::atomic<bool>* stop)
{
    auto log = std::make_shared<TLogRuns>();
    log->Path = path;
    log->Canonical = QFileInfo(path).canonicalFilePath();
    std::unordered_map<std::string, std::uint32_t> names, machines;
    std::string key;
    log->Error = ReadLogLines(path, [&](const TLogLineReader::TLine& line, const TRunRecord* record,
                                        std::string_view raw) {
        if (line.Kind == TLogLineReader::TKind::Skipped) {
            log->Skipped.push_back({line.Number, line.Fields.Fault, line.Fields.Field});
            return;
        }
        if (line.Kind != TLogLineReader::TKind::Result) return;
        const std::string_view description = TrimBlanks(line.Fields.Description);
        const std::string_view label = TrimBlanks(line.Fields.DiskLabel);
        key.assign(description);
        key += '\0';
        key += label;
        const auto [at, added] = names.try_emplace(key, static_cast<std::uint32_t>(names.size()));
        if (added) log->Names.push_back({std::string(description), std::string(label)});
        log->AddRun(line.Fields.Scores, at->second, static_cast<std::uint32_t>(line.Number));
        TRunLine& run = log->Lines.back();
        if (record) {
            key = record->Host;
            key += '\0';
            key += record->CpuBrand;
            key += '\0';
            key += std::to_string(record->MemoryMiB);
            const auto [m, newMachine] =
                machines.try_emplace(key, static_cast<std::uint32_t>(machines.size()));
            if (newMachine)
                log->Machines.push_back({record->Host, record->CpuBrand, record->MemoryMiB});
            run.Machine = m->second;
            if (record->Conditions)
                run.Quiet = record->Conditions->Quiet ? TQuiet::Quiet : TQuiet::NotQuiet;
            run.LineHash = record->Line.empty() ? 0 : ResultLineHash(record->Line);
            ++log->Records;
        } else {
            run.LineHash = ResultLineHash(raw);
        }
    }, stop);
    return log;
}

void TLogRuns::AddRun(const TScores& scores, std::uint32_t name, std::uint32_t lineNumber)
{
    TRunLine run;
    for (std::size_t s = 0; s < kLineScoreCount; ++s) run.Scores[s] = scores.*kScoreTable[s].Value;
    run.Name = name;
    run.LineNumber = lineNumber;
    TMoreScores more;
    bool any = false;
    for (std::size_t s = kLineScoreCount; s < kTableScoreCount; ++s) {
        more[s - kLineScoreCount] = scores.*kScoreTable[s].Value;
        any = any || more[s - kLineScoreCount] > 0;
    }
    if (any) {
        run.More = static_cast<std::uint32_t>(More.size());
        More.push_back(more);
    }
    Lines.push_back(run);
}

QString LogIdentity(const QString& path)
{
    if (path == QLatin1String("-")) return path;  // standard input
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

QStringList LogsToRead(const QStringList& paths, const QStringList& open, QStringList& repeated)
{
    QStringList identities, unique;
    for (const QString& path : open) identities << LogIdentity(path);
    for (const QString& path : paths) {
        const QString identity = LogIdentity(path);
        if (identities.contains(identity)) {
            repeated << path;
            continue;
        }
        identities << identity;
        unique << path;
    }
    return unique;
}

QStringList ShortestLogNames(const QStringList& paths)
{
    std::vector<QString> identities;
    std::vector<QStringList> parts;
    for (const QString& path : paths) {
        identities.push_back(LogIdentity(path));
        parts.push_back(identities.back().split(QLatin1Char('/')));
    }
    // The last `count` parts of path i, the whole path when it has fewer.
    auto tail = [&](std::size_t i, qsizetype count) {
        const QStringList& p = parts[i];
        return p.mid(std::max<qsizetype>(0, p.size() - count)).join(QLatin1Char('/'));
    };
    QStringList names;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        qsizetype count = 1;
        for (; count < parts[i].size(); ++count) {
            const QString mine = tail(i, count);
            bool shared = false;
            for (std::size_t j = 0; j < parts.size() && !shared; ++j)
                shared = identities[j] != identities[i] && tail(j, count) == mine;
            if (!shared) break;
        }
        names << tail(i, count);
    }
    return names;
}

QString SkippedLineText(const TSkippedLine& line)
{
    return QStringLiteral("line %1: %2")
        .arg(line.LineNumber)
        .arg(QString::fromStdString(LineFaultText(line.Fault, line.Field)));
}

QStringList LogMessages(const QString& name, const QString& error,
                        const std::vector<TSkippedLine>& skipped, std::size_t results,
                        std::size_t shown)
{
    QStringList messages;
    if (!error.isEmpty()) messages << QStringLiteral("%1: cannot be read: %2").arg(name, error);
    for (std::size_t i = 0; i < skipped.size() && i < shown; ++i)
        messages << name + QStringLiteral(": ") + SkippedLineText(skipped[i]);
    if (skipped.size() > shown)
        messages << QStringLiteral("%1: %2 more lines skipped (%3 in all)")
                        .arg(name)
                        .arg(skipped.size() - shown)
                        .arg(skipped.size());
    if (results == 0 && error.isEmpty()) messages << name + QStringLiteral(": no result lines");
    return messages;
}

}  // namespace vt
