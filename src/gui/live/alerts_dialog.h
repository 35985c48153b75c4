#pragma once
// 遗漏提醒: the alert rules, each with the selections that meet it now, and adding or removing a
// rule. The rules are kept in the settings store.

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;

namespace app {
class LiveService;
}

namespace app::gui {

class AlertsDialog : public QDialog {
    Q_OBJECT
  public:
    AlertsDialog(LiveService& live, QWidget* parent = nullptr);

  private:
    void showRules();
    void onAdd();
    void onRemove();

    LiveService& live_;
    QListWidget* list_ = nullptr;
    QLineEdit* ruleBox_ = nullptr;
    QLabel* problem_ = nullptr;
};

} // namespace app::gui
