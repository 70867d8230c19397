// The options of `vesktest compare`, read with QCommandLineParser. What can
// be checked without reading a log is checked here; a machine named by
// --reference is looked up once the logs are read.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "compare/machines.h"

namespace vt {

enum class TCompareOutput { Window, Text, Csv };

struct TCompareOptions {
    TCompareOutput Output = TCompareOutput::Window;
    bool Runs = false;                  // every result line instead of the machines
    std::optional<QString> Reference;   // a machine's name or number, as given
    TGroupBy GroupBy = TGroupBy::Auto;  // Auto: by machine where every run has a record
    bool QuietOnly = false;             // leave out the runs whose record says not quiet
    QStringList Logs;                   // as given; none: the program's own logs

    bool Console() const { return Output != TCompareOutput::Window; }
};

struct TCompareCommand {
    enum class TKind { Run, Help, Bad };
    TKind Kind = TKind::Run;
    TCompareOptions Options;
    QString Reason;  // Bad: why, without the usage
};

// Reads `arguments` (the program, "compare", then the options). Bad: an
// unknown option or one without its value, --reference or --group-by given
// twice, --text with --csv, --runs without --text or --csv or with
// --reference or --group-by, and a grouping that is not one of the words of
// GroupByFromWord.
TCompareCommand ParseCompareOptions(const QStringList& arguments);

// The usage lines, ending in a line feed.
const char* CompareUsage();

// The text of --help; `defaultLog` is the log read when none is named.
QString CompareHelp(const QString& defaultLog);

}  // namespace vt
