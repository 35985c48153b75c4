#pragma once
// The 回测 button: opens the back-test dialog on the search the window is set up for, with the
// positions 检索 would compare and the combination size of the box. Remembers what was chosen in
// the dialog until the window closes.

#include "gui/backtest/backtest_dialog.h"
#include "workspace/backtest_service.h"

#include <QObject>
#include <QPointer>

namespace app::gui {

class MainWindow;
class Prompter;
class SearchActions;

class BacktestActions : public QObject {
    Q_OBJECT
  public:
    BacktestActions(MainWindow& window, Workspace& workspace, Prompter& prompter,
                    SearchActions& search);

    // The stored draws changed: an open dialog's figures say they are out of date.
    void historyChanged();

  private:
    void onBacktestClicked();
    BacktestSubject subject() const;

    MainWindow& window_;
    Workspace& workspace_;
    Prompter& prompter_;
    SearchActions& search_;
    BacktestService service_;
    BacktestChoice choice_;
    QPointer<BacktestDialog> open_;
};

} // namespace app::gui
