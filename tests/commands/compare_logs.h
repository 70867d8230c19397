// Results logs written for the compare tests: the header, then result lines
// as the program writes them.
#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <string>
#include <vector>

#include "results/result_line.h"
#include "results/results_log.h"

namespace vt::test {

// One result line of a machine whose every score is `factor` times a base
// level (times divided, speeds multiplied: a factor above 1 is better).
inline std::string ScaledLine(std::string_view description, std::string_view label, double factor,
                              char separator = '.')
{
    const TScores s{0.30 / factor, 0.040 / factor, 0.50 / factor, 9000 * factor,
                    1500 * factor, 3000 * factor,  2.10 / factor, 300 * factor};
    return FormatResultLine(s, description, label, {separator, ' '});
}

// Writes the header and `lines` with CR LF to `path`, folders included.
inline void WriteLog(const QString& path, const std::vector<std::string>& lines)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    std::string bytes;
    for (const std::string& h : ResultsLogHeader()) bytes += h + "\r\n";
    for (const std::string& l : lines) bytes += l + "\r\n";
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

}  // namespace vt::test
