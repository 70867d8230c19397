#include "compare/compare_options.h"

#include <QCommandLineParser>

#include "compare/table_format.h"

namespace vt {

namespace {

TCompareCommand Bad(const QString& reason)
{
    TCompareCommand command;
    command.Kind = TCompareCommand::TKind::Bad;
    command.Reason = reason;
    return command;
}

// `text` broken into lines of at most `width` characters after `indent`.
QString Wrapped(const QString& text, int width, const QString& indent)
{
    QString out, line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && indent.size() + line.size() + 1 + word.size() > width) {
            out += indent + line + QLatin1Char('\n');
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    if (!line.isEmpty()) out += indent + line + QLatin1Char('\n');
    return out;
}

}  // namespace

const char* CompareUsage()
{
    return "Usage: vesktest compare [--text | --csv] [--reference NAME|N] [--quiet-only]\n"
           "                        [--group-by machine|description|file|line] [--runs] [LOG...]\n";
}

QString CompareHelp(const QString& defaultLog)
{
    return QLatin1String(CompareUsage()) + QStringLiteral(R"(
Compares results logs and records logs machine by machine: the runs whose
records name the same host, processor and memory, or the result lines with
the same description and disk label, are the runs of one machine; for every
score the table gives each machine's runs, their median, smallest and largest
value and spread ((largest - smallest) / median), and against the reference
machine the ratio (the median of the ratios of a run to a reference run;
above 1 is better: times are inverted), its 95% interval, the ratio of the
medians and a verdict. Without --text or --csv the Compare window opens.

A LOG is a results log (Result3.txt), a records log (Result3.jsonl) or
batch's JSON Lines output, told apart by their lines. A results log and a
records log of one folder named together count each run once: a record
holds its result line. With no LOG it reads the results log )") +
           defaultLog + QStringLiteral(R"(
and the records log beside it (beside the program where that folder can be
written, else in the user's data folder, $XDG_DATA_HOME/vesktest or
~/.local/share/vesktest).

Options:
  --text                 Print the machine table on standard output.
  --csv                  Print it as CSV (UTF-8, "." as decimal separator):
                         description, label, runs, the overall ratio and
                         its counts of faster, slower, no difference and
                         too few runs, then for every score its runs,
                         median, min, max, spread, ratio, low, high,
                         median ratio, p, verdict and "rounded" (the log's
                         rounding is above 2% of a median).
  --reference NAME|N     The machine the others are compared with: its
                         number in the table, its description (a trailing
                         "/" may be left out), or description/label. A
                         number is always a number: name a machine
                         described as "2" as "2/". Default: the first
                         machine.
  --group-by KEY         What makes a machine: machine (the same host,
                         processor brand and memory in the runs' records;
                         the default where every run has a record),
                         description (the same description and label; the
                         default otherwise), file (one per log) or line
                         (every line on its own).
  --quiet-only           Leave out the runs whose record says they were not
                         quiet (disturbed by other processes, steal or
                         throttling), and say how many per machine.
  --runs                 Print every run instead, with its log and line
                         number and, for a record, its conditions (with
                         --text or --csv).
  -h, --help             Show this help.

Verdicts:
)") + Wrapped(VerdictHelp(), 78, QStringLiteral("  ")) +
           QStringLiteral(R"(
Lines that are not result lines are named with the reason on standard error.
A LOG of "-" is standard input.

Exit status: 0 done; 1 a log could not be read or holds no result lines
(what could be read is still shown); 2 a bad command line.
)");
}

TCompareCommand ParseCompareOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption text(QStringLiteral("text"), QString());
    const QCommandLineOption csv(QStringLiteral("csv"), QString());
    const QCommandLineOption runs(QStringLiteral("runs"), QString());
    const QCommandLineOption reference(QStringLiteral("reference"), QString(),
                                       QStringLiteral("NAME"));
    const QCommandLineOption groupBy(QStringLiteral("group-by"), QString(), QStringLiteral("KEY"));
    const QCommandLineOption quietOnly(QStringLiteral("quiet-only"), QString());
    parser.addOptions({help, text, csv, runs, reference, groupBy, quietOnly});
    // The parser takes the program's name first; the command word is not an
    // option.
    QStringList options = arguments;
    if (options.size() > 1) options.removeAt(1);
    if (!parser.parse(options)) return Bad(parser.errorText());

    TCompareCommand command;
    if (parser.isSet(help)) {
        command.Kind = TCompareCommand::TKind::Help;
        return command;
    }
    for (const QCommandLineOption& once : {reference, groupBy})
        if (parser.values(once).size() > 1)
            return Bad(QStringLiteral("--%1 is given more than once").arg(once.names().first()));
    if (parser.isSet(text) && parser.isSet(csv))
        return Bad(QStringLiteral("--text and --csv exclude each other"));
    TCompareOptions& o = command.Options;
    o.Output = parser.isSet(text)  ? TCompareOutput::Text
               : parser.isSet(csv) ? TCompareOutput::Csv
                                   : TCompareOutput::Window;
    o.Runs = parser.isSet(runs);
    if (o.Runs && !o.Console()) return Bad(QStringLiteral("--runs needs --text or --csv"));
    if (o.Runs && (parser.isSet(reference) || parser.isSet(groupBy)))
        return Bad(
            QStringLiteral("--runs lists lines; --reference and --group-by are for machines"));
    if (parser.isSet(groupBy)) {
        const auto chosen = GroupByFromWord(parser.value(groupBy));
        if (!chosen)
            return Bad(QStringLiteral("no grouping '%1' (machine, description, file or line)")
                           .arg(parser.value(groupBy)));
        o.GroupBy = *chosen;
    }
    if (parser.isSet(reference)) o.Reference = parser.value(reference);
    o.QuietOnly = parser.isSet(quietOnly);
    o.Logs = parser.positionalArguments();
    return command;
}

}  // namespace vt
