#pragma once
// The back-test's table: one row per k of the top values taken, the texts the command line prints.

#include "search/backtest.h"

#include <QAbstractTableModel>

#include <memory>

namespace app::gui {

class BacktestModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    using QAbstractTableModel::QAbstractTableModel;

    // No result: the table shows its column titles only.
    void setResult(std::shared_ptr<const search::BacktestResult> result);
    const search::BacktestResult* result() const { return result_.get(); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    std::shared_ptr<const search::BacktestResult> result_;
};

} // namespace app::gui
