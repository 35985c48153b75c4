// The window's pages (检索, 走势图, 玩法, 缩水, 大厅, 我的投注) under one tab bar, the draw entry
// line beside the tabs so that a new draw can be typed on every page, and what the window keeps of
// how it was left.

#include "gui/window/main_window.h"

#include "history/game_catalog.h"

#include "gui/common/background_work.h"
#include "gui/common/prompter.h"
#include "gui/hall/hall_view.h"
#include "gui/plays/play_view.h"
#include "gui/shrink/shrink_view.h"
#include "gui/tickets/tickets_view.h"
#include "gui/trend/trend_view.h"
#include "gui/window/window_state.h"
#include "workspace/workspace.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QTableView>
#include <QVBoxLayout>

namespace app::gui {

namespace {

const char* const kPageCaptions[] = {"检索", "走势图", "玩法", "缩水", "大厅", "我的投注"};
constexpr int kPages = 6;

const QString kPageKey = QStringLiteral("page");
const QString kWidthKey = QStringLiteral("windowWidth");
const QString kHeightKey = QStringLiteral("windowHeight");
const QString kMaximizedKey = QStringLiteral("windowMaximized");

// The splitters whose handles the user may have moved, by their object names.
QList<QSplitter*> keptSplitters(QWidget& window) {
    QList<QSplitter*> kept;
    for (QSplitter* splitter : window.findChildren<QSplitter*>())
        if (!splitter->objectName().isEmpty() && splitter->objectName() != "tallySplitter")
            kept.push_back(splitter);
    return kept;
}

} // namespace

void MainWindow::buildPages(QWidget* searchPage) {
    windowState_ = new WindowState(workspace_.settingsFile().store());
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 2, 6, 6);
    layout->setSpacing(2);

    pageBar_ = new QTabBar;
    pageBar_->setObjectName(QStringLiteral("pageTabs"));
    pageBar_->setDocumentMode(true);
    pageBar_->setExpanding(false);
    pageBar_->setDrawBase(false);
    for (int page = 0; page < kPages; ++page) {
        pageBar_->addTab(QString::fromUtf8(kPageCaptions[page]));
        pageBar_->setTabToolTip(page, QStringLiteral("Ctrl+%1").arg(page + 1));
    }
    auto* top = new QHBoxLayout;
    top->addWidget(pageBar_, 0, Qt::AlignBottom);
    top->addStretch(1);
    top->addWidget(buildEntryLine());
    layout->addLayout(top);

    pages_ = new QStackedWidget;
    pages_->setObjectName(QStringLiteral("pages"));
    pages_->addWidget(searchPage);
    trendView_ = new TrendView(workspace_);
    pages_->addWidget(trendView_);
    playView_ = new PlayView(workspace_, prompter_);
    pages_->addWidget(playView_);
    shrinkView_ = new ShrinkView(workspace_, prompter_);
    pages_->addWidget(shrinkView_);
    hallView_ = new HallView(workspace_);
    pages_->addWidget(hallView_);
    // A game clicked in the hall: the window switches to it, on the search page.
    connect(hallView_, &HallView::gameChosen, this, [this](history::Game game) {
        if (!history::games()->find(game)) return;
        if (game != workspace_.settings().game) onGameChosen(game);
        showPage(Page::Search);
    });
    ticketsView_ = new TicketsView(workspace_, prompter_);
    pages_->addWidget(ticketsView_);
    // A period that settles a record is told beside the new-draw notices.
    connect(ticketsView_, &TicketsView::settled, this, &MainWindow::tellSettled);
    statusBar()->addPermanentWidget(ticketsView_->todaysNetLabel());
    ticketsView_->refresh();
    layout->addWidget(pages_, 1);
    setCentralWidget(central);

    connect(pageBar_, &QTabBar::currentChanged, pages_, &QStackedWidget::setCurrentIndex);
    for (int page = 0; page < kPages; ++page) {
        auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_1 + page)), this);
        connect(shortcut, &QShortcut::activated, this, [this, page] { showPage(Page(page)); });
    }
}

void MainWindow::showPage(Page page) {
    pageBar_->setCurrentIndex(static_cast<int>(page));
}

MainWindow::Page MainWindow::currentPage() const {
    return Page(pageBar_->currentIndex());
}

QSize MainWindow::rememberedSize() const {
    const auto width = windowState_->number(kWidthKey, 400, 20000);
    const auto height = windowState_->number(kHeightKey, 300, 20000);
    return width && height ? QSize(*width, *height) : QSize();
}

bool MainWindow::rememberedMaximized() const {
    return windowState_->text(kMaximizedKey) == QStringLiteral("True");
}

void MainWindow::restoreWindowState() {
    trendView_->restoreState(*windowState_);
    windowState_->restoreControls(*playView_);
    shrinkView_->restoreState(*windowState_);
    if (const auto page = windowState_->number(kPageKey, 0, kPages - 1)) showPage(Page(*page));
}

void MainWindow::restoreLayoutAfterShow() {
    for (QSplitter* splitter : keptSplitters(*this))
        windowState_->restoreSplitterWhenShown(*splitter);
    // A grid laid out again after the first show leaves its newest row half hidden otherwise.
    scrollHistoryToEnd();
    trendView_->scrollToNewest();
}

void MainWindow::saveWindowState() {
    windowState_->write(kPageKey, pageBar_->currentIndex());
    const QSize size = isMaximized() || isFullScreen() ? normalGeometry().size() : this->size();
    windowState_->write(kWidthKey, size.width());
    windowState_->write(kHeightKey, size.height());
    windowState_->write(kMaximizedKey,
                        isMaximized() ? QStringLiteral("True") : QStringLiteral("False"));
    for (QSplitter* splitter : keptSplitters(*this)) windowState_->saveSplitter(*splitter);
    trendView_->saveState(*windowState_);
    windowState_->saveControls(*playView_);
    shrinkView_->saveState(*windowState_);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Long work going on: the window closes once it has stopped, if the user wants it stopped.
    if (BackgroundWork* work = BackgroundWork::current()) {
        event->ignore();
        if (work->cancelled() ||
            prompter_.confirm(QStringLiteral("关闭窗口"),
                              QStringLiteral("正在%1，关闭窗口会取消它。要取消%1并关闭窗口吗？")
                                  .arg(work->what())))
            work->closeWhenDone(this);
        return;
    }
    saveWindowState();
    QMainWindow::closeEvent(event);
}

} // namespace app::gui
