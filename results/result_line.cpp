#include "results/result_line.h"

#include "platform/number_format.h"
#include "results/score_table.h"

namespace vt {

std::string FormatResultLine(const TScores& s, std::string_view description,
                             std::string_view diskLabel, const FormatSettings& fs)
{
    std::string line = PadLeft(description.substr(0, kDescriptionWidth), kDescriptionWidth);
    line += '/';
    line += PadLeft(diskLabel.substr(0, kDiskLabelWidth), kDiskLabelWidth);
    for (const TScoreRow& row : kLineScores) {
        line += row.LineSeparator;
        line += FormatFixed(s.*row.Value, row.LineWidth, row.Decimals, fs);
    }
    return line;
}

}  // namespace vt
