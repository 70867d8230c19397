#include "compare/machines.h"

#include <string>
#include <unordered_map>

#include "platform/cp1251.h"

namespace vt {

namespace {

QString Utf8(const std::string& ansi)
{
    return QString::fromStdString(Cp1251ToUtf8(ansi));
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
    }
    return "";
}

std::optional<TGroupBy> GroupByFromWord(const QString& word)
{
    for (TGroupBy by : {TGroupBy::Description, TGroupBy::File, TGroupBy::Line})
        if (word == QLatin1String(GroupByWord(by))) return by;
    return std::nullopt;
}

TGrouping GroupMachines(const TLogList& logs, TGroupBy by)
{
    TGrouping g;
    g.By = by;
    QStringList paths;
    for (const auto& log : logs) paths << log->Path;
    g.LogNames = ShortestLogNames(paths);

    // Each line's machine, and each machine's number of lines.
    std::vector<std::uint32_t> machineOf;
    std::vector<std::uint32_t> counts;
    std::unordered_map<std::string, std::uint32_t> byName;
    for (std::uint32_t l = 0; l < logs.size(); ++l) {
        const TLogRuns& log = *logs[l];
        // The machine of each of this log's names, found once per name.
        std::vector<std::int64_t> nameMachine(log.Names.size(), -1);
        std::vector<QString> nameTexts(log.Names.size() * 2);
        for (std::uint32_t i = 0; i < log.Lines.size(); ++i) {
            const TRunLine& line = log.Lines[i];
            std::int64_t& known = nameMachine[line.Name];
            if (known < 0 || by == TGroupBy::Line) {
                const TMachineName& name = log.Names[line.Name];
                if (nameTexts[2 * line.Name].isNull()) {
                    nameTexts[2 * line.Name] = Utf8(name.Description);
                    nameTexts[2 * line.Name + 1] = Utf8(name.Label);
                }
                std::uint32_t machine = static_cast<std::uint32_t>(g.Machines.size());
                bool added = true;
                if (by == TGroupBy::Description) {
                    const auto at =
                        byName.try_emplace(name.Description + '\0' + name.Label, machine);
                    machine = at.first->second;
                    added = at.second;
                } else if (by == TGroupBy::File && i > 0) {
                    machine = machineOf.back();
                    added = false;
                }
                if (added) {
                    TMachine m;
                    m.Description = by == TGroupBy::File ? g.LogNames[l] : nameTexts[2 * line.Name];
                    if (by != TGroupBy::File) m.Label = nameTexts[2 * line.Name + 1];
                    m.Log = l;
                    m.FirstLine = line.LineNumber;
                    g.Machines.push_back(std::move(m));
                    counts.push_back(0);
                }
                known = machine;
            }
            machineOf.push_back(static_cast<std::uint32_t>(known));
            ++counts[static_cast<std::size_t>(known)];
        }
    }
    // Each machine's lines together, in log order within it.
    std::uint32_t begin = 0;
    for (std::size_t m = 0; m < g.Machines.size(); ++m) {
        g.Machines[m].Begin = g.Machines[m].End = begin;
        begin += counts[m];
    }
    g.Lines.resize(begin);
    std::size_t at = 0;
    for (std::uint32_t l = 0; l < logs.size(); ++l)
        for (std::uint32_t i = 0; i < logs[l]->Lines.size(); ++i)
            g.Lines[g.Machines[machineOf[at++]].End++] = {l, i};
    return g;
}

QString MachineTitle(const TGrouping& g, std::size_t machine)
{
    const TMachine& m = g.Machines[machine];
    QString title = m.Description;
    if (!m.Label.isEmpty()) title += QStringLiteral(" / ") + m.Label;
    if (title.isEmpty()) title = QStringLiteral("(no description)");
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
