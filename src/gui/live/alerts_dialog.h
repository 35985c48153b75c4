#pragma once
// 遗漏提醒: the alert rules in the words of players, each with the selections that meet it now;
// a rule is set by picking the play (前一, 任二 … or a kind at a position), the selection and the
// condition from lists, or typed on one line (前一 01 遗漏>=23, q1 any current>=30); below, the
// alerts told so far with the draws where they crossed. The rules are kept in the settings store.

#include <QDialog>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace app {
class LiveService;
class Notices;
} // namespace app

namespace app::gui {

class AlertsDialog : public QDialog {
    Q_OBJECT
  public:
    // notices: where the alerts told are listed from (none: no such list).
    AlertsDialog(LiveService& live, const Notices* notices = nullptr, QWidget* parent = nullptr);

    // The rule the lists make, in its written form.
    QString chosenRule() const;

  private:
    QLayout* buildChoice();
    void showRules();
    void showFired();
    void onPlayChosen();
    void onConditionChosen();
    void add(const QString& rule, bool typed);

    LiveService& live_;
    const Notices* notices_ = nullptr;
    QListWidget* list_ = nullptr;
    QListWidget* fired_ = nullptr;
    QComboBox* playBox_ = nullptr;
    QComboBox* positionBox_ = nullptr;
    QLineEdit* selectionBox_ = nullptr;
    QComboBox* conditionBox_ = nullptr;
    QDoubleSpinBox* thresholdBox_ = nullptr;
    QLineEdit* ruleBox_ = nullptr;
    QLabel* problem_ = nullptr;
};

} // namespace app::gui
