#include "compare/machine_model.h"

#include <QBrush>
#include <QColor>
#include <QFontMetrics>
#include <algorithm>
#include <numeric>

#include "compare/natural_order.h"
#include "compare/table_format.h"

namespace vt {

namespace {

using stats::TVerdict;

// The score of a median or ratio column, -1 for the others.
int ScoreOf(int column)
{
    return column >= kFirstScoreColumn && column < kOverallColumn ? (column - kFirstScoreColumn) / 2
                                                                  : -1;
}

bool IsRatioColumn(int column)
{
    return ScoreOf(column) >= 0 && (column - kFirstScoreColumn) % 2 == 1;
}

const TScoreResult& ResultOf(const TMachineTable& table, std::size_t machine, int score)
{
    return table.Results[machine].Scores[static_cast<std::size_t>(score)];
}

QString MedianTip(const TMachineTable& table, std::size_t machine, int score)
{
    const stats::TRunSummary& r = ResultOf(table, machine, score).Runs;
    const TScoreRow& column = kScoreTable[static_cast<std::size_t>(score)];
    if (r.Runs == 0)
        return QStringLiteral("%1: not measured")
            .arg(kScoreTable[static_cast<std::size_t>(score)].Name);
    return QStringLiteral("%1: %2 %3 the median of %4 runs\nsmallest %5, largest %6, spread %7")
        .arg(QLatin1String(kScoreTable[static_cast<std::size_t>(score)].Name),
             ValueText(r.Median, column.Decimals), QLatin1String(column.Unit))
        .arg(r.Runs)
        .arg(ValueText(r.Min, column.Decimals), ValueText(r.Max, column.Decimals), SpreadText(r));
}

QString RatioTip(const TMachineTable& table, std::size_t machine, int score)
{
    const stats::TScoreComparison& c = ResultOf(table, machine, score).Comparison;
    if (!c.Ratio) return QStringLiteral("No ratio: this machine or the reference has no value.");
    QString tip = QStringLiteral("ratio %1: %2").arg(RatioMeaning(score), RatioText(c.Ratio));
    if (c.Low) tip += QStringLiteral(", 95% interval %1").arg(IntervalText(c));
    if (c.PValue) tip += QStringLiteral(", p = %1").arg(QString::number(*c.PValue, 'g', 3));
    return tip + QStringLiteral("\n\n") + VerdictHelp();
}

QString OverallCell(const TMachineTable& table, std::size_t machine)
{
    if (machine == table.Reference) return QStringLiteral("reference");
    const stats::TOverall& o = table.Results[machine].Overall;
    if (!o.GeometricMean) return {};
    QString text = QStringLiteral("%1: %2 faster, %3 slower, %4 no difference")
                       .arg(RatioText(o.GeometricMean))
                       .arg(o.Faster)
                       .arg(o.Slower)
                       .arg(o.NoDifference);
    if (const int few = o.Scores - o.Faster - o.Slower - o.NoDifference; few > 0)
        text += QStringLiteral(", %1 too few runs").arg(few);
    return text;
}

QColor VerdictColour(TVerdict verdict)
{
    switch (verdict) {
        case TVerdict::Faster:
            return QColor(0x1b, 0x7a, 0x35);
        case TVerdict::Slower:
            return QColor(0xb0, 0x2a, 0x22);
        default:
            return {};
    }
}

}  // namespace

QString MachineColumnTitle(int column)
{
    switch (column) {
        case 0:
            return QStringLiteral("Description");
        case 1:
            return QStringLiteral("Label");
        case 2:
            return QStringLiteral("Lines");
        case 3:
            return QStringLiteral("First line");
        case kOverallColumn:
            return QStringLiteral("Overall");
        default:
            break;
    }
    const int score = ScoreOf(column);
    if (score < 0) return {};
    const TScoreRow& c = kScoreTable[static_cast<std::size_t>(score)];
    return IsRatioColumn(column)
               ? QStringLiteral("%1 ratio").arg(QLatin1String(c.Title))
               : QStringLiteral("%1 (%2)").arg(QLatin1String(c.Title), QLatin1String(c.Unit));
}

QString MachineCell(const TMachineTable& table, std::size_t machine, int column)
{
    const TMachine& m = table.Grouping.Machines[machine];
    switch (column) {
        case 0:
            return m.Description;
        case 1:
            return m.Label;
        case 2:
            return QString::number(m.Runs());
        case 3:
            return FirstLineText(table.Grouping, machine);
        case kOverallColumn:
            return OverallCell(table, machine);
        default:
            break;
    }
    const int score = ScoreOf(column);
    if (score < 0) return {};
    const TScoreResult& r = ResultOf(table, machine, score);
    if (!IsRatioColumn(column))
        return r.Runs.Runs > 0
                   ? ValueText(r.Runs.Median, kScoreTable[static_cast<std::size_t>(score)].Decimals)
                   : QString();
    if (r.Comparison.Verdict == TVerdict::Reference) return QStringLiteral("reference");
    if (!r.Comparison.Ratio) return {};
    return RatioText(r.Comparison.Ratio) + QStringLiteral("  ") +
           VerdictLabel(r.Comparison.Verdict);
}

std::vector<int> MachineColumnWidths(const TMachineTable& table, QFont font, int margin)
{
    font.setBold(true);
    const QFontMetrics metrics(font);
    std::vector<int> widths(kMachineColumns);
    for (int column = 0; column < kMachineColumns; ++column) {
        int widest = metrics.horizontalAdvance(MachineColumnTitle(column));
        for (std::size_t m = 0; m < table.Grouping.Machines.size(); ++m)
            widest = std::max(widest, metrics.horizontalAdvance(MachineCell(table, m, column)));
        widths[static_cast<std::size_t>(column)] = widest + margin;
    }
    // The check box beside the description.
    widths[0] += metrics.height() + margin;
    return widths;
}

int TMachineModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(order_.size());
}

int TMachineModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kMachineColumns;
}

QVariant TMachineModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !table_) return {};
    const std::size_t machine = MachineAt(index.row());
    const int column = index.column();
    switch (role) {
        case Qt::DisplayRole:
            return MachineCell(*table_, machine, column);
        case Qt::CheckStateRole:
            if (column != 0) return {};
            return charted_[machine] ? Qt::Checked : Qt::Unchecked;
        case Qt::TextAlignmentRole:
            return column == 0 || column == 1 || column == 3 || column == kOverallColumn
                       ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                       : QVariant(Qt::AlignRight | Qt::AlignVCenter);
        case Qt::FontRole:
            if (machine == table_->Reference) {
                QFont bold;
                bold.setBold(true);
                return bold;
            }
            return {};
        case Qt::ForegroundRole:
            if (IsRatioColumn(column))
                if (const QColor colour = VerdictColour(
                        ResultOf(*table_, machine, ScoreOf(column)).Comparison.Verdict);
                    colour.isValid())
                    return QBrush(colour);
            return {};
        case Qt::ToolTipRole:
            if (column == 0)
                return QStringLiteral(
                           "%1. %2\n%3 lines, the first at %4\n"
                           "Ticked: the machine's bar is in the charts.")
                    .arg(machine + 1)
                    .arg(MachineTitle(table_->Grouping, machine))
                    .arg(table_->Grouping.Machines[machine].Runs())
                    .arg(FirstLineText(table_->Grouping, machine));
            if (column == kOverallColumn)
                return QStringLiteral(
                    "The geometric mean of the ratios of the scores both machines have, and "
                    "how many of them are faster, slower or show no difference.");
            if (ScoreOf(column) < 0) return {};
            return IsRatioColumn(column) ? RatioTip(*table_, machine, ScoreOf(column))
                                         : MedianTip(*table_, machine, ScoreOf(column));
        default:
            return {};
    }
}

bool TMachineModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.column() != 0 || role != Qt::CheckStateRole) return false;
    SetCharted(MachineAt(index.row()), static_cast<Qt::CheckState>(value.toInt()) == Qt::Checked);
    return true;
}

Qt::ItemFlags TMachineModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == 0) f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant TMachineModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        // Machines keep their numbers, the ones --reference takes, when
        // the rows are sorted.
        if (role == Qt::DisplayRole && section >= 0 && section < rowCount())
            return static_cast<qulonglong>(MachineAt(section) + 1);
        return {};
    }
    if (role == Qt::DisplayRole) return MachineColumnTitle(section);
    if (role == Qt::ToolTipRole && ScoreOf(section) >= 0)
        return IsRatioColumn(section)
                   ? QStringLiteral(
                         "%1: ratio %2 of the medians, above 1 is better, and the "
                         "verdict.\n\n%3")
                         .arg(QLatin1String(
                                  kScoreTable[static_cast<std::size_t>(ScoreOf(section))].Name),
                              RatioMeaning(ScoreOf(section)), VerdictHelp())
                   : QStringLiteral("%1: the median of the machine's runs")
                         .arg(QLatin1String(
                             kScoreTable[static_cast<std::size_t>(ScoreOf(section))].Name));
    return {};
}

void TMachineModel::sort(int column, Qt::SortOrder order)
{
    if (!table_ || column < 0 || column >= kMachineColumns) return;
    emit layoutAboutToBeChanged();
    const std::size_t machines = table_->Grouping.Machines.size();
    // Keys are computed once per machine, not once per comparison.
    std::vector<QString> texts;
    std::vector<double> values;
    const int score = ScoreOf(column);
    if (column == 0 || column == 1) {
        texts.reserve(machines);
        for (std::size_t m = 0; m < machines; ++m)
            texts.push_back(NaturalSortKey(MachineCell(*table_, m, column)));
    } else {
        values.reserve(machines);
        for (std::size_t m = 0; m < machines; ++m) {
            // A machine without a value sorts below every measured one.
            std::optional<double> value;
            if (column == 2)
                value = static_cast<double>(table_->Grouping.Machines[m].Runs());
            else if (column == 3)
                value = static_cast<double>(m);  // the order of the first lines
            else if (column == kOverallColumn)
                value = table_->Results[m].Overall.GeometricMean;
            else if (IsRatioColumn(column))
                value = ResultOf(*table_, m, score).Comparison.Ratio;
            else if (ResultOf(*table_, m, score).Runs.Runs > 0)
                value = ResultOf(*table_, m, score).Runs.Median;
            values.push_back(value.value_or(-1));
        }
    }
    auto less = [&](std::size_t a, std::size_t b) {
        return texts.empty() ? values[a] < values[b] : texts[a] < texts[b];
    };
    const QModelIndexList persistent = persistentIndexList();
    std::vector<std::size_t> persistentMachines;
    for (const QModelIndex& i : persistent) persistentMachines.push_back(MachineAt(i.row()));
    std::stable_sort(order_.begin(), order_.end(), [&](std::size_t a, std::size_t b) {
        return order == Qt::AscendingOrder ? less(a, b) : less(b, a);
    });
    // Selections and the current cell follow their machines.
    std::vector<int> shownAt(machines);
    for (std::size_t r = 0; r < order_.size(); ++r) shownAt[order_[r]] = static_cast<int>(r);
    QModelIndexList moved;
    for (qsizetype i = 0; i < persistent.size(); ++i)
        moved << index(shownAt[persistentMachines[static_cast<std::size_t>(i)]],
                       persistent[i].column());
    changePersistentIndexList(persistent, moved);
    emit layoutChanged();
    emit Changed();
}

void TMachineModel::SetTable(std::shared_ptr<const TMachineTable> table, bool sameMachines)
{
    beginResetModel();
    const std::size_t machines = table ? table->Grouping.Machines.size() : 0;
    if (!sameMachines) {
        order_.clear();
        charted_.clear();
    }
    for (std::size_t m = order_.size(); m < machines; ++m) {
        order_.push_back(m);
        charted_.push_back(m < kFirstCharted);
    }
    table_ = std::move(table);
    endResetModel();
    emit Changed();
}

std::vector<std::size_t> TMachineModel::ChartedMachines() const
{
    std::vector<std::size_t> charted;
    for (std::size_t m : order_)
        if (charted_[m]) charted.push_back(m);
    return charted;
}

void TMachineModel::SetCharted(std::size_t machine, bool charted)
{
    if (machine >= charted_.size() || static_cast<bool>(charted_[machine]) == charted) return;
    charted_[machine] = charted;
    const auto row =
        static_cast<int>(std::find(order_.begin(), order_.end(), machine) - order_.begin());
    emit dataChanged(index(row, 0), index(row, 0), {Qt::CheckStateRole});
    emit Changed();
}

}  // namespace vt
