#include "gui/history/history_model.h"

#include "workspace/workspace.h"

namespace app::gui {

namespace {
constexpr int kColumns = 6;
}

HistoryModel::HistoryModel(const Workspace& workspace, QObject* parent)
    : QAbstractTableModel(parent), workspace_(workspace), version_(workspace.history().version()),
      rows_(static_cast<int>(workspace.rows().size())) {}

int HistoryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int HistoryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant HistoryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_) return {};
    const auto row = static_cast<size_t>(index.row());
    // The view may ask before a pending refresh: never read past the rows in memory.
    if (row >= workspace_.rows().size()) return {};
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole) return {};
    if (index.column() == 0) return QString::fromStdString(workspace_.historyPeriodText(row));
    return QString::number(workspace_.rows()[row].numbers()[index.column() - 1]);
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    if (section == 0) return QStringLiteral("期号");
    if (section > 0 && section < kColumns) return QStringLiteral("第%1码").arg(section);
    return {};
}

bool HistoryModel::refresh() {
    if (workspace_.history().version() == version_) return false;
    beginResetModel();
    version_ = workspace_.history().version();
    rows_ = static_cast<int>(workspace_.rows().size());
    endResetModel();
    return true;
}

} // namespace app::gui
