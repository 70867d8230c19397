#include "compare/run_columns.h"

#include <algorithm>

namespace vt {

TRunColumns RunColumns(std::span<const double> runs, const std::vector<bool>& notQuiet,
                       std::size_t columns)
{
    TRunColumns out;
    const std::size_t count = runs.size();
    if (count == 0 || columns == 0) return out;
    out.Summarised = count > columns;
    const std::size_t groups = std::min(count, columns);
    out.Columns.reserve(groups);
    for (std::size_t g = 0; g < groups; ++g) {
        // Runs [begin, end) in column g: as even as whole runs allow.
        const std::size_t begin = g * count / groups, end = (g + 1) * count / groups;
        TRunColumn column;
        column.First = static_cast<double>(begin + 1);
        column.Last = static_cast<double>(end);
        const auto [min, max] =
            std::minmax_element(runs.begin() + static_cast<std::ptrdiff_t>(begin),
                                runs.begin() + static_cast<std::ptrdiff_t>(end));
        column.Min = *min;
        column.Max = *max;
        for (std::size_t i = begin; i < end && i < notQuiet.size(); ++i)
            if (notQuiet[i]) {
                column.NotQuietMax =
                    column.NotQuiet ? std::max(column.NotQuietMax, runs[i]) : runs[i];
                column.NotQuiet = true;
            }
        out.Columns.push_back(column);
    }
    return out;
}

}  // namespace vt
