#pragma once
// The exports of the window: 历史号码导出文本文件 (the history as a text file), the menu item
// 导出历史号码 and a double-click on any of the three grids (the grid as a workbook). Finds its
// controls in the window by name; writes the file through the export service and opens it with
// the desktop's default application, or says where it is when none opens it.

#include "workspace/export_service.h"

#include <QObject>
#include <QString>

class QTableView;

namespace app::gui {

class MainWindow;
class Prompter;
class SearchActions;

class ExportActions : public QObject {
    Q_OBJECT
  public:
    ExportActions(MainWindow& window, Workspace& workspace, Prompter& prompter,
                  const SearchActions& search);

  protected:
    // A double-click anywhere on a grid, its header and empty area included, exports it.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void onExportTextClicked();
    void exportHistorySheet();
    void exportHitsSheet();
    void exportTallySheet();
    void exportSearchSheet(ExportResult (ExportService::*write)(const SearchResult&));
    // Opens what was written, or tells why nothing was.
    void finish(const ExportResult& result, const QString& title);

    MainWindow& window_;
    Prompter& prompter_;
    const SearchActions& search_;
    ExportService service_;
    QTableView* historyGrid_ = nullptr;
    QTableView* hitGrid_ = nullptr;
    QTableView* resultGrid_ = nullptr;
};

} // namespace app::gui
