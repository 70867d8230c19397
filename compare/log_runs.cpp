#include "compare/log_runs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstring>
#include <unordered_map>

namespace vt {

namespace {

// The piece of the file read at a time.
constexpr qint64 kPieceSize = 1 << 20;
// A line longer than this is kept only this far: it is too long for a result
// line anyway, and a file without line breaks must not fill the memory.
constexpr std::size_t kLongestKept = 4096;

std::string_view TrimBlanks(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

QString ReadLogLines(const QString& path,
                     const std::function<void(const TLogLineReader::TLine&)>& onLine,
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
    TLogLineReader reader;
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
                onLine(reader.Read(part));
            } else {
                carry.append(part.substr(0, kLongestKept - std::min(kLongestKept, carry.size())));
                onLine(reader.Read(carry));
                carry.clear();
            }
            rest.remove_prefix(length + 1);
        }
    }
    if (!carry.empty()) onLine(reader.Read(carry));
    return {};
}

std::shared_ptr<TLogRuns> LoadLogRuns(const QString& path, const std::atomic<bool>* stop)
{
    auto log = std::make_shared<TLogRuns>();
    log->Path = path;
    log->Canonical = QFileInfo(path).canonicalFilePath();
    std::unordered_map<std::string, std::uint32_t> names;
    std::string key;
    log->Error = ReadLogLines(
        path,
        [&](const TLogLineReader::TLine& line) {
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
            const auto [at, added] =
                names.try_emplace(key, static_cast<std::uint32_t>(names.size()));
            if (added) log->Names.push_back({std::string(description), std::string(label)});
            log->AddRun(line.Fields.Scores, at->second, static_cast<std::uint32_t>(line.Number));
        },
        stop);
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

double TLogRuns::Score(const TRunLine& run, std::size_t score) const
{
    if (score < kLineScoreCount) return run.Scores[score];
    if (run.More == TRunLine::kNoMore) return 0;
    return More[run.More][score - kLineScoreCount];
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
