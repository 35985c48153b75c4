#include "gui/history/export_actions.h"

#include "gui/common/busy_cursor.h"
#include "gui/common/dialog_progress.h"
#include "gui/common/prompter.h"
#include "gui/search/search_actions.h"
#include "gui/window/main_window.h"

#include <QAction>
#include <QDir>
#include <QEvent>
#include <QHeaderView>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>

namespace app::gui {

namespace {

const QString kTextTitle = QStringLiteral("历史号码导出文本文件");
const QString kSheetTitle = QStringLiteral("导出列表");

QString text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

} // namespace

ExportActions::ExportActions(MainWindow& window, Workspace& workspace, Prompter& prompter,
                             const SearchActions& search)
    : QObject(&window), window_(window), prompter_(prompter), search_(search), service_(workspace) {
    connect(window.findChild<QPushButton*>(QStringLiteral("Command4")), &QPushButton::clicked, this,
            &ExportActions::onExportTextClicked);
    connect(window.findChild<QAction*>(QStringLiteral("mnuDcls")), &QAction::triggered, this,
            &ExportActions::exportHistorySheet);
    historyGrid_ = window.findChild<QTableView*>(QStringLiteral("MSFlexGrid1"));
    hitGrid_ = window.findChild<QTableView*>(QStringLiteral("MSFlexGrid2"));
    resultGrid_ = window.findChild<QTableView*>(QStringLiteral("MSFlexGrid3"));
    for (QTableView* grid : {historyGrid_, hitGrid_, resultGrid_}) {
        grid->viewport()->installEventFilter(this);
        grid->horizontalHeader()->viewport()->installEventFilter(this);
    }
}

bool ExportActions::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        for (auto [grid, action] : {std::pair{historyGrid_, &ExportActions::exportHistorySheet},
                                    std::pair{hitGrid_, &ExportActions::exportHitsSheet},
                                    std::pair{resultGrid_, &ExportActions::exportTallySheet}}) {
            if (watched == grid->viewport() || watched == grid->horizontalHeader()->viewport()) {
                (this->*action)();
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

void ExportActions::onExportTextClicked() {
    ExportResult result;
    {
        BusyCursor busy;
        result = service_.exportText();
    }
    finish(result, kTextTitle);
}

void ExportActions::exportHistorySheet() {
    ExportResult result;
    {
        BusyCursor busy;
        DialogProgress progress(&window_, QStringLiteral("正在导出历史号码……"));
        result = service_.exportHistorySheet(progress);
    }
    finish(result, QStringLiteral("导出历史号码"));
}

void ExportActions::exportHitsSheet() {
    exportSearchSheet(&ExportService::exportHitsSheet);
}

void ExportActions::exportTallySheet() {
    exportSearchSheet(&ExportService::exportTallySheet);
}

void ExportActions::exportSearchSheet(ExportResult (ExportService::*write)(const SearchResult&)) {
    // Before any search the grid holds its header row only, and so does the sheet.
    const SearchResult none;
    const SearchResult* last = search_.lastResult();
    ExportResult result;
    {
        BusyCursor busy;
        result = (service_.*write)(last ? *last : none);
    }
    finish(result, kSheetTitle);
}

void ExportActions::finish(const ExportResult& result, const QString& title) {
    if (result.cancelled) {
        window_.statusBar()->showMessage(text(result.outcome.message), 8000);
        return;
    }
    if (!result.outcome.ok) {
        prompter_.warn(title, text(result.outcome.message));
        return;
    }
    const QString path = text(result.path);
    if (prompter_.openDocument(path)) {
        window_.statusBar()->showMessage(text(result.outcome.message), 8000);
        return;
    }
    prompter_.tell(title, noProgramText(path));
}

} // namespace app::gui
