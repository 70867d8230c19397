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
    return "Usage: vesktest compare [--text | --csv] [--reference NAME|N]\n"
           "                        [--group-by description|file|line] [--runs] [LOG...]\n";
}

QString CompareHelp(const QString& defaultLog)
{
    return QLatin1String(CompareUsage()) + QStringLiteral(R"(
Compares results logs machine by machine. The result lines with the same
description and disk label are the runs of one machine; for every score the
table gives each machine's runs, their median, smallest and largest value and
spread ((largest - smallest) / median), and against the reference machine the
ratio of the medians (above 1 is better: times are inverted), its 95%
interval and a verdict. Without --text or --csv the Compare window opens.

With no LOG it reads the results log )") +
           defaultLog + QStringLiteral(R"(
(beside the program where that folder can be written, else in the user's
data folder, $XDG_DATA_HOME/vesktest or ~/.local/share/vesktest).

Options:
  --text                 Print the machine table on standard output.
  --csv                  Print it as CSV (UTF-8, "." as decimal separator).
  --reference NAME|N     The machine the others are compared with: its
                         description, description/label, or its number in
                         the table. Default: the first machine.
  --group-by KEY         What makes a machine: description (the same
                         description and label, the default), file (one per
                         log) or line (every line on its own).
  --runs                 Print every result line instead, with its log and
                         line number (with --text or --csv).
  -h, --help             Show this help.

Verdicts:
)") + Wrapped(VerdictHelp(), 78, QStringLiteral("  ")) +
           QStringLiteral(R"(
Lines that are not result lines are named with the reason on standard error.
Exit status: 0 done; 1 a log could not be read (what could be read is still
shown); 2 a bad command line.
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
    parser.addOptions({help, text, csv, runs, reference, groupBy});
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
            return Bad(QStringLiteral("no grouping '%1' (description, file or line)")
                           .arg(parser.value(groupBy)));
        o.GroupBy = *chosen;
    }
    if (parser.isSet(reference)) o.Reference = parser.value(reference);
    o.Logs = parser.positionalArguments();
    return command;
}

}  // namespace vt
