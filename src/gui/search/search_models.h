#pragma once
// The models of the hit-period grid (MSFlexGrid2) and the result grid (MSFlexGrid3). Each holds
// the result of the latest search and shows its texts; nothing changes until the next search.
// The hit grid also tells why each row is a hit: the positions of the earlier draw that agreed
// (painted in its last column by EarlierDrawDelegate) and, for a combination search, the sets of
// positions that agreed (the row's tooltip).

#include "search/hit_reasons.h"
#include "workspace/search_service.h"

#include "gui/common/own_text_delegate.h"
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
    // The last column's positions (1..5 as bits 0..4) of the earlier draw that made the hit.
    static constexpr int EarlierPositionsRole = Qt::UserRole + 1;

    using SearchResultModel::SearchResultModel;
    // The result with the reason of each hit (one per hit, or none to show no reasons).
    void setResult(std::shared_ptr<const SearchResult> result,
                   std::vector<search::HitReason> reasons);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    std::vector<search::HitReason> reasons_;
    std::vector<search::PositionSet> sets_;
};

// Paints the earlier draw's text ("03 07 01 11 05 ") with the positions of EarlierPositionsRole
// marked; other cells as usual.
class EarlierDrawDelegate : public OwnTextDelegate {
    Q_OBJECT
  public:
    using OwnTextDelegate::OwnTextDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
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
