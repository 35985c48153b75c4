#pragma once
// The history management controls of the window: 读取历史号文本(&W) (the text import), 删除最后历史
// (button and menu item), and the menu items 清空历史号码, 删除到选定期, 删除最后指定数量期历史 and
// 修复损坏的历史号码.
// Finds its controls in the window by name; asks the user, runs the history service with a
// progress dialog that can cancel, and refreshes the window.

#include "workspace/history_service.h"

#include <QObject>
#include <QString>

namespace app::gui {

class MainWindow;
class Prompter;

class HistoryActions : public QObject {
    Q_OBJECT
  public:
    HistoryActions(MainWindow& window, Workspace& workspace, Prompter& prompter);

    // After a setting the stored values were derived under changed: asks whether to re-derive
    // the stored history now, and does it with a progress dialog.
    void offerRebuild();

  private:
    void onImportClicked();
    void onDeleteNewestClicked();
    void onClearClicked();
    void onCutBackClicked();
    void onDeleteLastClicked();
    void onRepairClicked();
    // Whether the result grids still belong to the history after an operation changed it. Only
    // an import, a cut-back or clearing marks them as belonging to the history before: deleting
    // the newest draw (like typing one) is the everyday correction of the newest period, done
    // many times a day, and leaves a search of the rest of the history as good as it was.
    enum class ResultsStay { Yes, No };

    // Asks before a deletion the user typed, naming how many draws go; true to go on. An entry
    // that removes nothing or is refused is not asked about (the operation says why).
    bool confirmDeletion(const DeletionPlan& plan);
    // Shows what a maintenance operation did and refreshes the window when the history changed.
    void finish(const HistoryResult& result, const QString& title, ResultsStay results);

    MainWindow& window_;
    Workspace& workspace_;
    Prompter& prompter_;
    HistoryService service_;
};

} // namespace app::gui
