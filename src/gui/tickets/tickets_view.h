#pragma once
// The 我的投注 page: the recorded tickets of the game, settled by the history as it stands
// (filtered by play and state), typing a record, removing one (after a question), the ledger by
// day or month with the chance of luck doing as well, and the bankroll against its expected line.
// Each period that settles since the page last looked is told through settled(); the status
// bar's label shows today's net.

#include "workspace/ticket_service.h"

#include <QWidget>

#include <optional>

class QChartView;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableView;

namespace app::gui {

class Prompter;
class TextRowsModel;

class TicketsView : public QWidget {
    Q_OBJECT
  public:
    TicketsView(Workspace& workspace, Prompter& prompter, QWidget* parent = nullptr);

    // The stored draws or the records changed: reads them again, tells what settled.
    void refresh();
    // The label for the status bar with today's net (the window places it).
    QLabel* todaysNetLabel() const { return todaysNet_; }

  signals:
    // One line per period that settled a record ("投注记录3：第…期 任五 中奖 540 元"), with the
    // period in stored form.
    void settled(const QString& line, int period);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void showRecords();
    void showLedger();
    void addRecord();
    void removeRecord();

    Workspace& workspace_;
    Prompter& prompter_;
    TicketList list_;
    // The game the list was read for: after a switch nothing is told as newly settled.
    std::optional<int> listGame_;

    QComboBox* playFilter_ = nullptr;
    QComboBox* stateFilter_ = nullptr;
    QLabel* damagedNote_ = nullptr;
    TextRowsModel* recordsModel_ = nullptr;
    QTableView* records_ = nullptr;
    QComboBox* playBox_ = nullptr;
    QLineEdit* picksBox_ = nullptr;
    QSpinBox* multiplierBox_ = nullptr;
    QLineEdit* priceBox_ = nullptr;
    QLineEdit* periodBox_ = nullptr;
    QSpinBox* chaseBox_ = nullptr;
    QCheckBox* stopBox_ = nullptr;
    QComboBox* groupingBox_ = nullptr;
    TextRowsModel* ledgerModel_ = nullptr;
    QTableView* ledger_ = nullptr;
    QChartView* chart_ = nullptr;
    QLabel* ledgerNote_ = nullptr;
    QLabel* todaysNet_ = nullptr;
};

} // namespace app::gui
