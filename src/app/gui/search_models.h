#pragma once
// The models of the hit-period grid (MSFlexGrid2) and the result grid (MSFlexGrid3). Each holds
// the result of the latest search and shows its texts; nothing changes until the next search.

#include "app/search_service.h"

#include <QAbstractTableModel>

#include <memory>

namespace app::gui {

class SearchResultModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    using QAbstractTableModel::QAbstractTableModel;

    void setResult(std::shared_ptr<const SearchResult> result);
    const SearchResult* result() const { return result_.get(); }

  protected:
    std::shared_ptr<const SearchResult> result_;
};

class HitModel : public SearchResultModel {
    Q_OBJECT
  public:
    using SearchResultModel::SearchResultModel;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
};

class TallyModel : public SearchResultModel {
    Q_OBJECT
  public:
    using SearchResultModel::SearchResultModel;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
};

} // namespace app::gui
