#include "app/gui/search_models.h"

namespace app::gui {

void SearchResultModel::setResult(std::shared_ptr<const SearchResult> result) {
    beginResetModel();
    result_ = std::move(result);
    endResetModel();
}

int HitModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !result_) return 0;
    return static_cast<int>(result_->hitRows.size());
}

int HitModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 7;
}

QVariant HitModel::data(const QModelIndex& index, int role) const {
    if (!result_ || !index.isValid()) return {};
    if (role == Qt::TextAlignmentRole)
        return index.column() == 6 ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                   : QVariant(Qt::AlignCenter);
    if (role != Qt::DisplayRole) return {};
    return QString::fromStdString(
        hitGridCell(*result_, static_cast<size_t>(index.row()), index.column()));
}

QVariant HitModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    if (section == 6 && !result_) return QStringLiteral("上期开奖");
    SearchResult none;
    const auto header = hitGridHeader(result_ ? *result_ : none);
    return QString::fromStdString(header[static_cast<size_t>(section)]);
}

int TallyModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !result_) return 0;
    return static_cast<int>(result_->tally.byCount.size());
}

int TallyModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 4;
}

QVariant TallyModel::data(const QModelIndex& index, int role) const {
    if (!result_ || !index.isValid()) return {};
    if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignCenter);
    if (role != Qt::DisplayRole) return {};
    return QString::fromStdString(
        resultGridCell(*result_, static_cast<size_t>(index.row()), index.column()));
}

QVariant TallyModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return QString::fromStdString(resultGridHeader()[static_cast<size_t>(section)]);
}

} // namespace app::gui
