#include "compare/machines.h"

#include <QFileInfo>
#include <string>
#include <unordered_map>

#include "platform/cp1251.h"

namespace vt {

namespace {

QString Utf8(const std::string& ansi)
{
    return QString::fromStdString(Cp1251ToUtf8(ansi));
}

QString MachineTitleOf(const TMachine& m, TGroupBy)
{
    QString title = m.Description;
    if (!m.Label.isEmpty()) title += QStringLiteral(" / ") + m.Label;
    if (title.isEmpty()) title = QStringLiteral("(no description)");
    return title;
}

const TRunLine& LineAt(const TLogList& logs, TLineRef ref)
{
    return logs[ref.Log]->Lines[ref.Index];
}

}  // namespace

const char* GroupByWord(TGroupBy by)
{
    switch (by) {
        case TGroupBy::Description:
            return "description";
        case TGroupBy::File:
            return "file";
        case TGroupBy::Line:
            return "line";
        case TGroupBy::Machine:
            return "machine";
        case TGroupBy::Auto:
            return "auto";
    }
    return "";
}

std::optional<TGroupBy> GroupByFromWord(const QString& word)
{
    for (TGroupBy by :
         {TGroupBy::Description, TGroupBy::File, TGroupBy::Line, TGroupBy::Machine, TGroupBy::Auto})
        if (word == QLatin1String(GroupByWord(by))) return by;
    return std::nullopt;
}

TGrouping GroupMachines(const TLogList& logs, TGroupBy by, bool quietOnly)
{
    TGrouping g;
    g.QuietOnly = quietOnly;
    QStringList paths;
    for (const auto& log : logs) paths << log->Path;
    g.LogNames = ShortestLogNames(paths);

    // A results log's line whose record is read from the same folder is
    // that record's run: the records of each folder claim their lines.
    std::vector<std::size_t> folderOf(logs.size());
    QStringList folders;
    for (std::size_t l = 0; l < logs.size(); ++l) {
        const QString folder = QFileInfo(LogIdentity(logs[l]->Path)).path();
        qsizetype at = folders.indexOf(folder);
        if (at < 0) {
            at = folders.size();
            folders << folder;
        }
        folderOf[l] = static_cast<std::size_t>(at);
    }
    std::vector<std::unordered_map<std::uint64_t, std::uint32_t>> claims(
        static_cast<std::size_t>(folders.size()));
    for (std::size_t l = 0; l < logs.size(); ++l)
        if (logs[l]->Records > 0)
            for (const TRunLine& run : logs[l]->Lines)
                if (run.Machine != kNoRecord && run.LineHash != 0)
                    ++claims[folderOf[l]][run.LineHash];
    std::vector<std::vector<bool>> counted(logs.size());
    bool everyRunHasARecord = true;
    std::size_t runs = 0;
    for (std::size_t l = 0; l < logs.size(); ++l) {
        counted[l].assign(logs[l]->Lines.size(), true);
        auto& claimed = claims[folderOf[l]];
        for (std::size_t i = 0; i < logs[l]->Lines.size(); ++i) {
            const TRunLine& run = logs[l]->Lines[i];
            if (run.Machine != kNoRecord) {
                ++runs;
                continue;
            }
            const auto found = claimed.empty() ? claimed.end() : claimed.find(run.LineHash);
            if (found != claimed.end() && found->second > 0) {
                --found->second;
                counted[l][i] = false;
                ++g.Paired;
            } else {
                everyRunHasARecord = false;
                ++runs;
            }
        }
    }
    if (by == TGroupBy::Auto)
        by = everyRunHasARecord && runs > 0 ? TGroupBy::Machine : TGroupBy::Description;
    g.By = by;

    // Each counted run's machine (-1: left out), each machine's runs.
    std::vector<std::int64_t> machineOf;
    std::vector<std::uint32_t> counts;
    std::unordered_map<std::string, std::uint32_t> byKey;
    std::string key;
    for (std::uint32_t l = 0; l < logs.size(); ++l) {
        const TLogRuns& log = *logs[l];
        // The machine of each of this log's names and record machines,
        // found once each.
        std::vector<std::int64_t> nameMachine(log.Names.size(), -1);
        std::vector<std::int64_t> recordMachine(log.Machines.size(), -1);
        std::int64_t fileMachine = -1;
        for (std::uint32_t i = 0; i < log.Lines.size(); ++i) {
            if (!counted[l][i]) continue;
            const TRunLine& line = log.Lines[i];
            const bool byRecord = by == TGroupBy::Machine && line.Machine != kNoRecord;
            std::int64_t& known = by == TGroupBy::File ? fileMachine
                                  : byRecord           ? recordMachine[line.Machine]
                                                       : nameMachine[line.Name];
            if (known < 0 || by == TGroupBy::Line) {
                const TMachineName& name = log.Names[line.Name];
                std::uint32_t machine = static_cast<std::uint32_t>(g.Machines.size());
                bool added = true;
                if (by == TGroupBy::Description || by == TGroupBy::Machine) {
                    if (byRecord) {
                        const TMachineKey& k = log.Machines[line.Machine];
                        key = 'M' + k.Host + '\0' + k.CpuBrand + '\0' + std::to_string(k.MemoryMiB);
                    } else {
                        key = 'D' + name.Description + '\0' + name.Label;
                    }
                    const auto at = byKey.try_emplace(key, machine);
                    machine = at.first->second;
                    added = at.second;
                }
                if (added) {
                    TMachine m;
                    if (by == TGroupBy::File) {
                        m.Description = g.LogNames[l];
                    } else if (byRecord) {
                        const TMachineKey& k = log.Machines[line.Machine];
                        m.Description = k.Host.empty() ? QStringLiteral("(no host)")
                                                       : QString::fromStdString(k.Host);
                        m.Label = QStringLiteral("%1, %2 MiB")
                                      .arg(QString::fromStdString(k.CpuBrand))
                                      .arg(k.MemoryMiB);
                    } else {
                        m.Description = Utf8(name.Description);
                        m.Label = Utf8(name.Label);
                    }
                    m.Log = l;
                    m.FirstLine = line.LineNumber;
                    g.Machines.push_back(std::move(m));
                    counts.push_back(0);
                }
                known = machine;
            }
            const auto machine = static_cast<std::size_t>(known);
            if (line.Quiet == TQuiet::NotQuiet) {
                ++g.Machines[machine].NotQuiet;
                if (quietOnly) {
                    machineOf.push_back(-1);
                    continue;
                }
            }
            machineOf.push_back(known);
            ++counts[machine];
        }
    }
    // Machines whose every run was left out are no machines of the table.
    std::vector<std::int64_t> renumbered(g.Machines.size(), -1);
    std::vector<TMachine> kept;
    std::vector<std::uint32_t> keptCounts;
    for (std::size_t m = 0; m < g.Machines.size(); ++m) {
        if (counts[m] == 0) {
            g.LeftOut.emplace_back(MachineTitleOf(g.Machines[m], g.By), g.Machines[m].NotQuiet);
            continue;
        }
        renumbered[m] = static_cast<std::int64_t>(kept.size());
        kept.push_back(std::move(g.Machines[m]));
        keptCounts.push_back(counts[m]);
    }
    g.Machines = std::move(kept);
    // Each machine's lines together, in log order within it.
    std::uint32_t begin = 0;
    for (std::size_t m = 0; m < g.Machines.size(); ++m) {
        g.Machines[m].Begin = g.Machines[m].End = begin;
        begin += keptCounts[m];
    }
    g.Lines.resize(begin);
    std::size_t at = 0;
    for (std::uint32_t l = 0; l < logs.size(); ++l)
        for (std::uint32_t i = 0; i < logs[l]->Lines.size(); ++i) {
            if (!counted[l][i]) continue;
            const std::int64_t machine = machineOf[at++];
            if (machine < 0) continue;
            TMachine& m =
                g.Machines[static_cast<std::size_t>(renumbered[static_cast<std::size_t>(machine)])];
            g.Lines[m.End++] = {l, i};
        }
    return g;
}

QStringList QuietMessages(const TGrouping& g)
{
    QStringList messages;
    for (std::size_t m = 0; m < g.Machines.size(); ++m) {
        const TMachine& machine = g.Machines[m];
        if (machine.NotQuiet == 0) continue;
        messages << (g.QuietOnly ? QStringLiteral("%1: %2 runs not quiet, left out (%3 kept)")
                                       .arg(MachineTitle(g, m))
                                       .arg(machine.NotQuiet)
                                       .arg(machine.Runs())
                                 : QStringLiteral("%1: %2 of %3 runs not quiet")
                                       .arg(MachineTitle(g, m))
                                       .arg(machine.NotQuiet)
                                       .arg(machine.Runs()));
    }
    for (const auto& [title, notQuiet] : g.LeftOut)
        messages << QStringLiteral("%1: all %2 runs not quiet, left out").arg(title).arg(notQuiet);
    return messages;
}

QString MachineTitle(const TGrouping& g, std::size_t machine)
{
    QString title = MachineTitleOf(g.Machines[machine], g.By);
    if (g.By == TGroupBy::Line) title += QStringLiteral(" (%1)").arg(FirstLineText(g, machine));
    return title;
}

QString FirstLineText(const TGrouping& g, std::size_t machine)
{
    const TMachine& m = g.Machines[machine];
    return QStringLiteral("%1:%2")
        .arg(g.LogNames.value(static_cast<qsizetype>(m.Log)))
        .arg(m.FirstLine);
}

void MachineRuns(const TLogList& logs, const TGrouping& g, std::size_t machine, TMachineRuns& out)
{
    for (std::vector<double>& runs : out) runs.clear();
    const TMachine& m = g.Machines[machine];
    for (std::uint32_t i = m.Begin; i < m.End; ++i) {
        const TLogRuns& log = *logs[g.Lines[i].Log];
        const TRunLine& line = log.Lines[g.Lines[i].Index];
        for (std::size_t s = 0; s < out.size(); ++s)
            // Zero is a test that was not run, never a measurement.
            if (const double value = log.Score(line, s); value > 0) out[s].push_back(value);
    }
}

std::optional<std::size_t> FindMachine(const TGrouping& g, const QString& name, QString& error)
{
    const QString wanted = name.trimmed();
    std::vector<std::size_t> found;
    // A number is the machine's number, whatever the descriptions say; a
    // machine described as a number is named with its slash ("2/").
    bool isNumber = false;
    const qulonglong number = wanted.toULongLong(&isNumber);
    if (isNumber) {
        if (number >= 1 && number <= g.Machines.size()) return static_cast<std::size_t>(number - 1);
        error = QStringLiteral(
                    "no machine number %1 (the table has %2; a machine described as '%1' is "
                    "named '%1/' or '%1/label')")
                    .arg(wanted)
                    .arg(g.Machines.size());
        return std::nullopt;
    }
    const auto matching = [&](const QString& text) {
        for (std::size_t i = 0; i < g.Machines.size(); ++i) {
            const TMachine& m = g.Machines[i];
            if (m.Description == text ||
                (g.By != TGroupBy::File &&
                 (m.Description + QLatin1Char('/') + m.Label == text ||
                  m.Description + QStringLiteral(" / ") + m.Label == text)))
                found.push_back(i);
        }
    };
    matching(wanted);
    // Descriptions often end in a slash that users leave out: "Twin A" for
    // "Twin A/", where no machine is named "Twin A" itself.
    if (found.empty() && !wanted.isEmpty() && !wanted.endsWith(QLatin1Char('/')))
        matching(wanted + QLatin1Char('/'));
    if (found.size() == 1) return found.front();
    if (found.empty()) {
        error = g.Machines.empty()
                    ? QStringLiteral("no machine '%1': the logs hold no result lines").arg(wanted)
                    : QStringLiteral(
                          "no machine '%1' (give a description, description/label "
                          "or a number from 1 to %2)")
                          .arg(wanted)
                          .arg(g.Machines.size());
        return std::nullopt;
    }
    QStringList candidates;
    for (std::size_t i = 0; i < found.size() && i < 5; ++i)
        candidates << QStringLiteral("%1. %2").arg(found[i] + 1).arg(MachineTitle(g, found[i]));
    if (found.size() > 5) candidates << QStringLiteral("...");
    error = QStringLiteral("'%1' names %2 machines (%3); give one's number")
                .arg(wanted)
                .arg(found.size())
                .arg(candidates.join(QStringLiteral("; ")));
    return std::nullopt;
}

}  // namespace vt
