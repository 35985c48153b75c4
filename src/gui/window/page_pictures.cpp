#include "gui/window/page_pictures.h"

#include "gui/trend/trend_model.h"
#include "gui/window/main_window.h"
#include "history/game_record.h"
#include "workspace/workspace.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSpinBox>
#include <QTableView>

namespace app::gui {

namespace {

QString text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

QAction* addItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

QString spanText(const QString& from, const QString& to) {
    return from.isEmpty() && to.isEmpty() ? QString() : QStringLiteral("%1至%2").arg(from, to);
}

} // namespace

PagePictures::PagePictures(MainWindow& window, const Workspace& workspace, Prompter& prompter)
    : QObject(&window), window_(window), workspace_(workspace),
      output_(&window, prompter, [this] { return document(); }) {
    QMenu* menu = window.menuBar()->addMenu(QStringLiteral("图片与打印(&P)"));
    menu->setObjectName(QStringLiteral("mnuPictures"));
    connect(addItem(menu, "mnuSavePicture", QStringLiteral("保存为图片或PDF(&S)…")),
            &QAction::triggered, this, [this] { output_.save(); });
    menu->addSeparator();
    connect(addItem(menu, "mnuPrint", QStringLiteral("打印(&P)…")), &QAction::triggered, this,
            [this] { output_.print(); });
    connect(addItem(menu, "mnuPrintPreview", QStringLiteral("打印预览(&V)…")), &QAction::triggered,
            this, [this] { output_.preview(); });
}

QWidget* PagePictures::view(const char* name) const {
    auto* found = window_.findChild<QWidget*>(QLatin1String(name));
    // Only what the page shows: a view on a tab not chosen stays out.
    return found && found->isVisibleTo(&window_) ? found : nullptr;
}

QString PagePictures::historySpan() const {
    const auto& rows = workspace_.rows();
    if (rows.empty()) return {};
    return spanText(text(workspace_.historyPeriodText(0)),
                    text(workspace_.historyPeriodText(rows.size() - 1)));
}

PageContent PagePictures::content() const {
    PageContent content;
    const auto add = [&](std::initializer_list<const char*> names) {
        for (const char* name : names)
            if (QWidget* found = view(name)) content.views.push_back(found);
    };
    const auto chosen = [&](const char* name) {
        const auto* box = window_.findChild<QComboBox*>(QLatin1String(name));
        return box ? box->currentText() : QString();
    };
    switch (window_.currentPage()) {
    case MainWindow::Page::Search:
        content.what = QStringLiteral("检索结果");
        content.span = spanText(text(workspace_.spanStart()), text(workspace_.spanEnd()));
        add({"MSFlexGrid3", "tallyChart"});
        break;
    case MainWindow::Page::Trend: {
        content.what = chosen("trendKind");
        const auto* position = window_.findChild<QComboBox*>(QStringLiteral("trendPosition"));
        if (position && position->isEnabled())
            content.what += QLatin1Char(' ') + chosen("trendPosition");
        const auto* from = window_.findChild<QLineEdit*>(QStringLiteral("trendFrom"));
        const auto* to = window_.findChild<QLineEdit*>(QStringLiteral("trendTo"));
        if (from && to) content.span = spanText(from->text(), to->text());
        add({"trendView", "trendChart"});
        // Over a chart of several groups (the numbers of each position), each group's title, as
        // the table's heading shows it.
        if (auto* table = qobject_cast<QTableView*>(view("trendView")))
            if (const auto* trend = qobject_cast<const TrendModel*>(table->model()))
                for (int g = 0; g < trend->groupCount(); ++g) {
                    if (trend->groupTitle(g).isEmpty()) continue;
                    const int first = trend->groupFirstColumn(g);
                    const int last =
                        first + static_cast<int>(trend->groupTable(g)->values().size()) - 1;
                    content.headingBands[table].push_back({first, last, trend->groupTitle(g)});
                }
        break;
    }
    case MainWindow::Page::Plays:
        content.what = chosen("playChooser");
        content.span = historySpan();
        add({"playTable", "planTable"});
        break;
    case MainWindow::Page::Tickets:
        content.what = QStringLiteral("我的投注");
        add({"ticketRecords", "ledgerTable", "bankrollChart"});
        break;
    case MainWindow::Page::Hall:
        content.what = QStringLiteral("大厅");
        add({"hallTable"});
        break;
    case MainWindow::Page::Shrink: {
        content.what = QStringLiteral("缩水 ") + chosen("shrinkPlay");
        const auto* window = window_.findChild<QSpinBox*>(QStringLiteral("shrinkWindow"));
        if (window) content.span = QStringLiteral("近%1期").arg(window->value());
        add({"shrinkTable", "shrinkTickets", "coverTickets"});
        break;
    }
    }
    return content;
}

std::unique_ptr<render::PageDocument> PagePictures::document() const {
    return pageDocument(text(history::gameName(workspace_.settings().game)), content());
}

} // namespace app::gui
