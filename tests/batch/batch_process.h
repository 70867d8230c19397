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
};

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
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
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
