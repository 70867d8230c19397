// The built executable run as a child process, as a script runs it: its exit
// status and both streams.
#pragma once

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <string>

namespace vt::testing {

struct Outcome {
    int status;  // -1 when it did not exit normally
    std::string out, err;
    // The lines of standard error that say a run was not quiet, taken out of
    // `err`: whether they come depends on what else the machine does.
    std::string disturbed;
};

// Moves the lines that say a run was not quiet from `o.err` to `o.disturbed`.
inline Outcome SeparateDisturbed(Outcome o)
{
    std::string rest;
    std::size_t start = 0;
    while (start < o.err.size()) {
        std::size_t end = o.err.find('\n', start);
        end = end == std::string::npos ? o.err.size() : end + 1;
        const std::string line = o.err.substr(start, end - start);
        const bool disturbed =
            line.rfind("vesktest batch: run ", 0) == 0 &&
            line.find("; its figures are not this machine's own") != std::string::npos;
        (disturbed ? o.disturbed : rest) += line;
        start = end;
    }
    o.err = rest;
    return o;
}

struct ChildSetup {
    // The child's environment; the test's own when not set.
    std::optional<QProcessEnvironment> environment;
    QString standardOutputFile;  // e.g. /dev/full; empty: read back
    QString program = QStringLiteral(VESKTEST_EXECUTABLE);
};

inline Outcome RunVesktest(const QStringList& arguments, const ChildSetup& setup = {})
{
    QProcess p;
    if (setup.environment) p.setProcessEnvironment(*setup.environment);
    if (!setup.standardOutputFile.isEmpty()) p.setStandardOutputFile(setup.standardOutputFile);
    p.start(setup.program, arguments);
    EXPECT_TRUE(p.waitForFinished(120000));
    return SeparateDisturbed({p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                              p.readAllStandardOutput().toStdString(),
                              p.readAllStandardError().toStdString(), ""});
}

// The batch mode with `options`.
inline Outcome RunBatch(const QStringList& options, const ChildSetup& setup = {})
{
    return RunVesktest(QStringList{QStringLiteral("batch")} + options, setup);
}

// The executable under bash, as `script` has it: "$0" is the executable and
// "$@" the batch options, e.g. R"("$0" batch "$@" | true)".
inline Outcome RunBatchInShell(const QString& script, const QStringList& options)
{
    ChildSetup setup;
    setup.program = QStringLiteral("/bin/bash");
    return RunVesktest(
        QStringList{QStringLiteral("-c"), script, QStringLiteral(VESKTEST_EXECUTABLE)} + options,
        setup);
}

}  // namespace vt::testing
