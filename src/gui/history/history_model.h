#pragma once
// The history grid's model: one row per stored draw, read straight from the workspace's ordered
// history, so a grid of hundreds of thousands of draws costs no more than the rows on screen.

#include <QAbstractTableModel>

#include <cstdint>

namespace app {
class Workspace;
}

namespace app::gui {

class HistoryModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit HistoryModel(const Workspace& workspace, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Resets the model when the stored draws changed since the last refresh; true when it did.
    bool refresh();

  private:
    const Workspace& workspace_;
    std::uint64_t version_ = 0;
    int rows_ = 0;
};

} // namespace app::gui
