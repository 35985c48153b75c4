#include "gui/history/history_actions.h"

#include "gui/common/busy_cursor.h"
#include "gui/common/dialog_progress.h"
#include "gui/common/prompter.h"
#include "gui/window/main_window.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>

#include <algorithm>

namespace app::gui {

namespace {

const QString kImportTitle = QStringLiteral("读入历史");
const QString kImportQuestion =
    QStringLiteral("确实要读入最新历史号码吗？点击'确认'读入,点击'取消'放弃该操作。确要读入请保证安"
                   "装目录下存在历史号码的文本文件文件。读取时可能要花费一段时间,请耐心等候！");
const QString kDeleteTitle = QStringLiteral("删除期数");
// The import reads text files and the sheets players download or keep.
const QString kImportFilter =
    QStringLiteral("历史号码文件 (*.txt *.csv *.xls *.xlsx);;文本文件 (*.txt);;"
                   "表格文件 (*.csv *.xls *.xlsx)");

QString text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

} // namespace

HistoryActions::HistoryActions(MainWindow& window, Workspace& workspace, Prompter& prompter)
    : QObject(&window), window_(window), workspace_(workspace), prompter_(prompter),
      service_(workspace) {
    // The folder the import dialog opens, with the sample history, exists from the first start.
    service_.importFolder();
    const auto button = [&](const char* name) {
        return window.findChild<QPushButton*>(QString::fromLatin1(name));
    };
    const auto item = [&](const char* name) {
        return window.findChild<QAction*>(QString::fromLatin1(name));
    };
    connect(button("cmdRdLst"), &QPushButton::clicked, this, &HistoryActions::onImportClicked);
    connect(button("Command3"), &QPushButton::clicked, this,
            &HistoryActions::onDeleteNewestClicked);
    connect(item("mnuErase"), &QAction::triggered, this, &HistoryActions::onDeleteNewestClicked);
    connect(item("mnuClear"), &QAction::triggered, this, &HistoryActions::onClearClicked);
    connect(item("mnuDlzd"), &QAction::triggered, this, &HistoryActions::onCutBackClicked);
    connect(item("mnuEszhzd"), &QAction::triggered, this, &HistoryActions::onDeleteLastClicked);
    connect(item("mnuRepair"), &QAction::triggered, this, &HistoryActions::onRepairClicked);
}

void HistoryActions::onImportClicked() {
    QString question = kImportQuestion;
    if (const size_t draws = workspace_.rows().size(); draws > 0)
        question +=
            QStringLiteral("\n\n现有的%1期历史号码将被替换（替换前会备份到历史号码文件夹）。")
                .arg(static_cast<qulonglong>(draws));
    if (!prompter_.confirm(kImportTitle, question)) return;
    const QString path = prompter_.openFile(text(service_.importFolder()), kImportFilter);
    if (path.isEmpty()) return;
    HistoryResult result;
    {
        BusyCursor busy;
        DialogProgress progress(&window_, QStringLiteral("正在读入历史号码……"));
        result = service_.importFile(path.toStdString(), progress);
    }
    if (result.changed) {
        window_.refreshAfterHistoryChange();
        window_.markResultsStale();
    }
    if (result.outcome.ok || result.cancelled)
        prompter_.inform(kImportTitle, text(result.outcome.message));
    else
        prompter_.warn(kImportTitle, text(result.outcome.message));
}

void HistoryActions::onDeleteNewestClicked() {
    HistoryResult result;
    {
        BusyCursor busy;
        result = service_.deleteNewest();
    }
    finish(result, QStringLiteral("删除最后历史"), ResultsStay::Yes);
    if (auto* box = window_.findChild<QLineEdit*>(QStringLiteral("MaskEdBox1_1"))) box->setFocus();
}

void HistoryActions::onClearClicked() {
    if (!prompter_.confirm(QStringLiteral("确认清空"),
                           QStringLiteral("确定要清空所有的历史号码吗？")))
        return;
    finish(service_.clearHistory(), QStringLiteral("清空历史号码"), ResultsStay::No);
}

void HistoryActions::onCutBackClicked() {
    const auto entry =
        prompter_.askText(kDeleteTitle, QStringLiteral("请输入需要删除到的期数，例如‘2016090852’"),
                          text(service_.cutBackDefault()));
    // Cancel, or OK on an empty box, changes nothing.
    if (!entry || entry->trimmed().isEmpty()) return;
    if (!confirmDeletion(service_.planCutBack(entry->toStdString()))) return;
    HistoryResult result;
    {
        BusyCursor busy;
        DialogProgress progress(&window_, QStringLiteral("正在重建历史号码……"));
        result = service_.cutBackTo(entry->toStdString(), progress);
    }
    finish(result, kDeleteTitle, ResultsStay::No);
}

void HistoryActions::onDeleteLastClicked() {
    const auto entry = prompter_.askText(
        kDeleteTitle,
        QStringLiteral(
            "请输入需要删除最后多少期历史号码（例如输入3，那么就将删除最后的3期历史号码）"),
        text(HistoryService::deleteLastDefault()));
    if (!entry || entry->trimmed().isEmpty()) return;
    if (!confirmDeletion(service_.planDeleteLast(entry->toStdString()))) return;
    HistoryResult result;
    {
        BusyCursor busy;
        DialogProgress progress(&window_, QStringLiteral("正在重建历史号码……"));
        result = service_.deleteLast(entry->toStdString(), progress);
    }
    finish(result, kDeleteTitle, ResultsStay::No);
}

void HistoryActions::onRepairClicked() {
    const QString title = QStringLiteral("修复历史号码");
    const auto& damaged = workspace_.damagedRows();
    if (damaged.empty()) {
        prompter_.inform(title, QStringLiteral("历史号码中没有损坏的行，不需要修复。"));
        return;
    }
    const auto removed = static_cast<qulonglong>(std::count_if(
        damaged.begin(), damaged.end(), [](const auto& row) { return row.removed(); }));
    const auto moved = static_cast<qulonglong>(damaged.size()) - removed;
    QString plan;
    if (removed > 0)
        plan +=
            QStringLiteral("将把损坏或重复存入的%1行原样保存到历史号码文件夹，从历史号码中删除；")
                .arg(removed);
    if (moved > 0)
        plan += QStringLiteral("次序错乱的%1期将按期号排到应在的位置（原来的次序另存一份）；")
                    .arg(moved);
    if (!prompter_.confirm(title,
                           QStringLiteral("%1。%2其余的历史号码按期号顺序和当前设置重新计算。"
                                          "确定吗？")
                               .arg(text(history::describeDamagedRows(damaged)), plan)))
        return;
    HistoryResult result;
    {
        BusyCursor busy;
        DialogProgress progress(&window_, QStringLiteral("正在修复历史号码……"));
        result = service_.repairDamaged(progress);
    }
    finish(result, title, ResultsStay::No);
}

bool HistoryActions::confirmDeletion(const DeletionPlan& plan) {
    if (!plan.outcome.ok || plan.remove == 0) return true;
    return prompter_.confirm(plan.moreThanStored ? QStringLiteral("确认清空") : kDeleteTitle,
                             text(plan.question()));
}

void HistoryActions::offerRebuild() {
    const size_t draws = workspace_.rows().size();
    if (draws == 0) return;
    const QString title = QStringLiteral("重新计算历史号码");
    if (!prompter_.confirm(
            title, QStringLiteral("设置已更改。已存的%1期历史号码仍是按原来的设置计算的，检索会"
                                  "漏掉或错认新的取值。现在按新的设置重新计算全部历史号码吗？")
                       .arg(static_cast<qulonglong>(draws))))
        return;
    HistoryResult result;
    {
        BusyCursor busy;
        DialogProgress progress(&window_, QStringLiteral("正在重新计算历史号码……"));
        result = service_.rebuild(progress);
    }
    finish(result, title, ResultsStay::No);
}

void HistoryActions::finish(const HistoryResult& result, const QString& title,
                            ResultsStay results) {
    if (result.changed) {
        window_.refreshAfterHistoryChange();
        if (results == ResultsStay::No) window_.markResultsStale();
    }
    if (!result.outcome.ok && !result.cancelled) {
        prompter_.warn(title, text(result.outcome.message));
    } else if (!result.reported.empty()) {
        prompter_.inform(title, text(result.outcome.message));
    } else {
        window_.statusBar()->showMessage(text(result.outcome.message), 8000);
    }
}

} // namespace app::gui
