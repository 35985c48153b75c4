#pragma once
// The chase part of the plays tab (追号/倍投): a multiplier schedule and its calculator table with
// the chance of still having no win beside the promised profit rates, and the plan's back-test
// with its bankroll against random runs and the share of them ruined. The play, the pick rule and
// the back-test's periods and runs come from the tab's bet form.

#include "workspace/plan_service.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QChartView;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace app::gui {

class Prompter;

class PlanPanel : public QWidget {
    Q_OBJECT
  public:
    PlanPanel(Workspace& workspace, Prompter& prompter, SearchService& searches,
              std::function<BetRequest()> bet, QWidget* parent = nullptr);
    ~PlanPanel() override;

  private:
    // The plan from the form; nothing (after a warning) when a field is wrong.
    std::optional<PlanRequest> request();
    void calculate();
    void runBacktest();
    // 记入我的投注: the fixed tickets with the table's multipliers.
    void record();
    void showTable(const PlanResult& result);
    void onScheduleChanged();

    Workspace& workspace_;
    Prompter& prompter_;
    std::unique_ptr<PlanService> service_;
    std::function<BetRequest()> bet_;

    QComboBox* scheduleBox_ = nullptr;
    QLabel* valuesLabel_ = nullptr;
    QLineEdit* valuesBox_ = nullptr;
    QSpinBox* startBox_ = nullptr;
    QSpinBox* chaseBox_ = nullptr;
    QSpinBox* capBox_ = nullptr;
    QCheckBox* stopBox_ = nullptr;
    QSpinBox* bankrollBox_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLabel* tableFigures_ = nullptr;
    QLabel* figures_ = nullptr;
    QChartView* chart_ = nullptr;
};

} // namespace app::gui
