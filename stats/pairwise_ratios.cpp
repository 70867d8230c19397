#include "stats/pairwise_ratios.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace vt::stats {
namespace {

// The ratios of distinct values as a matrix: one row per distinct value of
// the sample with fewer of them, one column per distinct value of the other,
// ordered so that each row ascends and each column descends. Then the
// columns of a row that are at most t form a prefix that never shrinks from
// one row to the next, and one walk down the rows counts them all.
template <bool RowsAreNumerators>
class TRatioMatrix {
public:
    TRatioMatrix(const TSortedSample& rows, const TSortedSample& columns)
    {
        // Numerator rows and denominator columns both descend; denominator
        // rows and numerator columns both ascend.
        for (std::size_t i = 0; i < rows.Distinct.size(); ++i) {
            const std::size_t at = RowsAreNumerators ? rows.Distinct.size() - 1 - i : i;
            Rows.push_back(rows.Distinct[at]);
            RowWeight.push_back(rows.Count(at));
        }
        ColumnsWeight.push_back(0);
        for (std::size_t i = 0; i < columns.Distinct.size(); ++i) {
            const std::size_t at = RowsAreNumerators ? columns.Distinct.size() - 1 - i : i;
            Columns.push_back(columns.Distinct[at]);
            ColumnsWeight.push_back(ColumnsWeight.back() + columns.Count(at));
        }
    }

    double At(std::size_t row, std::size_t column) const
    {
        return RowsAreNumerators ? Rows[row] / Columns[column] : Columns[column] / Rows[row];
    }

    // The first column in [from, to) whose ratio is above t, or `to`; steps
    // of doubling length from `from`, so that a walk costs the logarithm of
    // each step's length.
    std::size_t FirstAbove(std::size_t row, std::size_t from, std::size_t to, double t) const
    {
        std::size_t passed = from;  // every column before it is at most t
        std::size_t probe = from;
        for (std::size_t step = 1; probe < to && At(row, probe) <= t; step *= 2) {
            passed = probe + 1;
            probe = from + step;
        }
        probe = std::min(probe, to);
        while (passed < probe) {
            const std::size_t middle = passed + (probe - passed) / 2;
            if (At(row, middle) <= t)
                passed = middle + 1;
            else
                probe = middle;
        }
        return passed;
    }

    std::vector<double> Rows, Columns;
    std::vector<std::uint64_t> RowWeight;      // how many values each row stands for
    std::vector<std::uint64_t> ColumnsWeight;  // how many the columns before each stand for
};

template <bool RowsAreNumerators>
double Select(const TRatioMatrix<RowsAreNumerators>& matrix, double lowest, double highest,
              std::uint64_t k)
{
    // Each row keeps the columns [low, high) that may still hold the answer;
    // `below` ratios (counted with their values' multiplicities) lie under
    // them, `remaining` among them, and their values run from `lowest` to
    // `highest`. A count of the ratios at most a value t between those two
    // keeps the side holding the k-th and moves its bound to the candidate
    // nearest t, so that a block of equal ratios ends the search at once.
    // t is put where the k-th would be if the candidates spread evenly on a
    // scale of factors; where that removed less than half of them, the next
    // t is the middle. When few cells are left they are gathered and sorted.
    const std::size_t rows = matrix.Rows.size();
    const std::uint64_t columns = matrix.Columns.size();
    std::vector<std::size_t> low(rows, 0), high(rows, columns), split(rows);
    std::uint64_t below = 0;
    std::uint64_t remaining = 0;
    for (std::uint64_t weight : matrix.RowWeight) remaining += weight;
    remaining *= matrix.ColumnsWeight.back();
    std::uint64_t cells = rows * columns;
    bool halve = false;
    while (cells > rows / 4 + 8) {
        if (lowest == highest) return lowest;
        const double fraction =
            halve ? 0.5
                  : std::clamp((k - below - 0.5) / static_cast<double>(remaining), 0.0, 0.999);
        double t = lowest * std::pow(highest / lowest, fraction);
        if (!(t >= lowest && t < highest)) t = lowest;

        std::uint64_t atMost = 0, cellsAtMost = 0;
        double largestAtMost = 0, smallestAbove = std::numeric_limits<double>::infinity();
        std::size_t column = 0;
        for (std::size_t r = 0; r < rows; ++r) {
            column = matrix.FirstAbove(r, std::max(column, low[r]), high[r], t);
            split[r] = column;
            atMost +=
                matrix.RowWeight[r] * (matrix.ColumnsWeight[column] - matrix.ColumnsWeight[low[r]]);
            cellsAtMost += column - low[r];
            if (column > low[r]) largestAtMost = std::max(largestAtMost, matrix.At(r, column - 1));
            if (column < high[r]) smallestAbove = std::min(smallestAbove, matrix.At(r, column));
        }
        const std::uint64_t before = remaining;
        if (below + atMost >= k) {
            high.swap(split);
            remaining = atMost;
            cells = cellsAtMost;
            highest = largestAtMost;
        } else {
            low.swap(split);
            below += atMost;
            remaining -= atMost;
            cells -= cellsAtMost;
            lowest = smallestAbove;
        }
        halve = !halve && remaining > before / 2;
    }
    std::vector<std::pair<double, std::uint64_t>> rest;
    rest.reserve(cells);
    for (std::size_t r = 0; r < rows; ++r)
        for (std::size_t c = low[r]; c < high[r]; ++c)
            rest.emplace_back(matrix.At(r, c), matrix.RowWeight[r] * (matrix.ColumnsWeight[c + 1] -
                                                                      matrix.ColumnsWeight[c]));
    std::sort(rest.begin(), rest.end());
    for (const auto& [ratio, weight] : rest) {
        below += weight;
        if (below >= k) return ratio;
    }
    return highest;
}

}  // namespace

double KthSmallestRatio(const TSortedSample& x, const TSortedSample& y, std::uint64_t k)
{
    const double lowest = x.Distinct.front() / y.Distinct.back();
    const double highest = x.Distinct.back() / y.Distinct.front();
    if (x.Distinct.size() <= y.Distinct.size())
        return Select(TRatioMatrix<true>(x, y), lowest, highest, k);
    return Select(TRatioMatrix<false>(y, x), lowest, highest, k);
}

}  // namespace vt::stats
