#pragma once
// The hall page (大厅): one row per followed game with its newest draw, today's draws stored
// against those due (a missing one in red), the countdown, the automatic update's state and the
// runs its streak alerts watch. Live: each second the games' history files are looked at and a
// row whose file changed (a draw stored by any process) is read again. A click on a game switches
// the window to it.

#include "workspace/hall_service.h"

#include <QAbstractTableModel>
#include <QWidget>

#include <functional>
#include <map>
#include <vector>

class QLabel;
class QTableView;
class QTimer;

namespace app::gui {

class HallModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { Game, Newest, Numbers, Today, Clock, Update, Streaks, Columns };
    using QAbstractTableModel::QAbstractTableModel;

    void setRows(std::vector<HallRow> rows);
    // Replaces one game's row (after its file changed) or the clock of every row.
    void setRow(const HallRow& row);
    void retick(const HallService& service);
    const std::vector<HallRow>& rows() const { return rows_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    std::vector<HallRow> rows_;
};

class HallView : public QWidget {
    Q_OBJECT
  public:
    HallView(Workspace& workspace, QWidget* parent = nullptr);

    // Tests: a clock of their own.
    void setClock(NowFunction now);
    // Where each game's automatic update state comes from.
    void setUpdateStates(std::function<HallUpdateState(history::Game)> stateOf);
    // Reads the rows of the files that changed and ticks the clocks (once a second by itself).
    void refresh();
    // Reads every row again (the followed games or the alert rules changed).
    void reload();
    HallModel& model() { return *model_; }

  signals:
    // A game was clicked.
    void gameChosen(history::Game game);
    // A new draw of a game other than the window's (alert false), or a streak alert it met;
    // period: the draw it is about (stored form).
    void notice(const QString& text, bool alert, int period);

  private:
    void tellNews(const HallRow& before, const HallRow& after);

    Workspace& workspace_;
    std::unique_ptr<HallService> service_;
    std::function<HallUpdateState(history::Game)> stateOf_;
    HallModel* model_ = nullptr;
    QTableView* table_ = nullptr;
    QLabel* note_ = nullptr;
    QTimer* timer_ = nullptr;
    std::map<int, std::string> stamps_;
};

} // namespace app::gui
