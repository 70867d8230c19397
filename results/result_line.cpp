#include "results/result_line.h"

#include "platform/number_format.h"

namespace vt {

std::string FormatResultLine(const TScores& s, std::string_view description,
                             std::string_view diskLabel, const FormatSettings& fs)
{
    std::string line = PadLeft(description.substr(0, kDescriptionWidth), kDescriptionWidth);
    line += '/';
    line += PadLeft(diskLabel.substr(0, kDiskLabelWidth), kDiskLabelWidth);
    line += '|' + FormatFixed(s.ListCreateTime, 6, 2, fs);
    line += '|' + FormatFixed(s.SortTime, 6, 3, fs);
    line += '|' + FormatFixed(s.SortOutputTime, 6, 2, fs);
    line += '|' + FormatFixed(s.FillMemSpeed, 4, 0, fs);
    line += '/' + FormatFixed(s.ReadMemSpeed, 4, 0, fs);
    line += '|' + FormatFixed(s.CyclesPerSec, 6, 1, fs);
    line += '|' + FormatFixed(s.DrawTime, 6, 2, fs);
    line += '|' + FormatFixed(s.HddSpeed, 5, 1, fs);
    return line;
}

}  // namespace vt
