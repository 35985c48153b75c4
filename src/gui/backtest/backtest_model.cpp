#include "gui/backtest/backtest_model.h"

#include "workspace/backtest_service.h"

#include <QBrush>
#include <QColor>

namespace app::gui {

namespace {

constexpr int kPValueColumn = 5;
constexpr int kAdjustedColumn = 6;
constexpr int kVerdictColumn = 7;

} // namespace

void BacktestModel::setResult(std::shared_ptr<const search::BacktestResult> result) {
    beginResetModel();
    result_ = std::move(result);
    endResetModel();
}

int BacktestModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !result_) return 0;
    return static_cast<int>(result_->top.size());
}

int BacktestModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(backtestTableHeader().size());
}

QVariant BacktestModel::data(const QModelIndex& index, int role) const {
    if (!result_ || !index.isValid()) return {};
    const auto row = static_cast<size_t>(index.row());
    const search::BacktestFigures& f = result_->top[row];
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(backtestTableCell(*result_, row, index.column()));
    case Qt::TextAlignmentRole:
        return QVariant(Qt::AlignCenter);
    case Qt::ForegroundRole:
        // A verdict above chance stands out; it is the one a reader must weigh.
        if (index.column() == kVerdictColumn && f.pAdjusted < 0.05)
            return QBrush(QColor(0xb0, 0x30, 0x00));
        return {};
    case Qt::ToolTipRole:
        if (index.column() == kAdjustedColumn || index.column() == kVerdictColumn)
            return QStringLiteral("同时检验了前1到前%1位共%1种取法，校正p值（Holm法）已计入这一点："
                                  "它小于0.05才算明显高于随机")
                .arg(result_->top.size());
        if (index.column() == kPValueColumn)
            return QStringLiteral("随机情况下，%1期中前%2位命中不少于%3期的概率是%4")
                .arg(result_->tested())
                .arg(f.k)
                .arg(f.successes)
                .arg(QString::fromStdString(backtestTableCell(*result_, row, kPValueColumn)));
        return QStringLiteral("随机期望命中 %1 期（各检验期随机命中概率之和）")
            .arg(f.expected, 0, 'f', 3);
    default:
        return {};
    }
}

QVariant BacktestModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return QString::fromStdString(backtestTableHeader()[static_cast<size_t>(section)]);
}

} // namespace app::gui
