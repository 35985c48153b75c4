#include "gui/window/main_window.h"

#include "gui/backtest/backtest_actions.h"
#include "gui/common/background_work.h"
#include "gui/common/prompter.h"
#include "gui/hall/hall_view.h"
#include "gui/history/export_actions.h"
#include "gui/history/history_actions.h"
#include "gui/history/history_model.h"
#include "gui/live/live_view.h"
#include "gui/live/update_actions.h"
#include "gui/plays/play_view.h"
#include "gui/search/search_actions.h"
#include "gui/search/tally_chart.h"
#include "gui/shrink/shrink_view.h"
#include "gui/tickets/tickets_view.h"
#include "gui/trend/trend_view.h"
#include "gui/window/page_pictures.h"
#include "gui/window/window_state.h"
#include "history/game_record.h"
#include "workspace/game_service.h"
#include "workspace/help_pages.h"
#include "workspace/notices.h"
#include "workspace/workspace.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QUrl>

namespace app::gui {

namespace {
// The note over results that belong to the history before it changed.
const QString kStaleResultsText = QStringLiteral("以下检索结果属于更改前的历史号码，请重新检索");
// How often the window looks whether another process changed the database.
constexpr int kOutsideCheckMs = 500;

// What the user is told when the span's start box held a period outside the stored draws (its
// draw was removed) and the workspace moved it; empty when it did not move.
QString spanMovedNote(const QString& before, const Workspace& workspace) {
    const auto& rows = workspace.rows();
    const QString now = QString::fromStdString(workspace.spanStart());
    const auto start = history::lastEightAsNumber(before.toStdString());
    if (rows.empty() || before == now || !start ||
        (*start >= rows.front().period && *start <= rows.back().period))
        return {};
    return QStringLiteral("检索起始期号%1已不在历史号码中（现存%2至%3），已改为%4。")
        .arg(before, QString::fromStdString(history::tenDigit(rows.front().period)),
             QString::fromStdString(history::tenDigit(rows.back().period)), now);
}
} // namespace

MainWindow::MainWindow(Workspace& workspace, Prompter& prompter, QWidget* parent)
    : QMainWindow(parent), workspace_(workspace), prompter_(prompter),
      pageOpener_([this](const QUrl& url) { return prompter_.openDocument(url.toLocalFile()); }) {
    setObjectName(QStringLiteral("frmMain"));
    historyModel_ = new HistoryModel(workspace_, this);
    buildMenus();
    buildCentral();
    // The status bar is there from the start: the first message does not shift the grids.
    statusBar();

    // The workspace has already read the settings and the history; show them in start-up order.
    showSettings();
    showTitle();
    showNextPeriod();
    showSpan();
    showTargets();
    showHistory();
    showDatabaseStatus();
    connectHandlers();
    auto* search = new SearchActions(*this, workspace_, prompter_);
    historyActions_ = new HistoryActions(*this, workspace_, prompter_);
    new UpdateActions(*this, workspace_, prompter_);
    liveView_ = new LiveView(*this, workspace_, prompter_);
    // The hall shows each game's automatic update and posts the news of the other games.
    hallView_->setUpdateStates(
        [live = liveView_](history::Game game) { return live->updateState(game); });
    connect(hallView_, &HallView::notice, this,
            [live = liveView_](const QString& text, bool alert, int period) {
                live->notices().post(alert ? NoticeKind::Alert : NoticeKind::Draw,
                                     text.toStdString(), period);
            });
    new ExportActions(*this, workspace_, prompter_, *search);
    new PagePictures(*this, workspace_, prompter_);
    backtestActions_ = new BacktestActions(*this, workspace_, prompter_, *search);
    playView_->setPositionSource([search] { return search->chosenPositions(); });
    restoreWindowState();
    auto* outsideCheck = new QTimer(this);
    connect(outsideCheck, &QTimer::timeout, this, &MainWindow::followOutsideChanges);
    outsideCheck->start(kOutsideCheckMs);
    // Typing starts where the next draw goes, or at the first period while there is none.
    if (workspace_.rows().empty() && workspace_.databaseOpen())
        nextPeriodBox_->setFocus();
    else
        entryBoxes_[0]->setFocus();
}

MainWindow::~MainWindow() {
    delete windowState_;
    // Widgets losing the focus while the window is torn down must not reach the handlers.
    for (QLineEdit* box : entryBoxes_) box->removeEventFilter(this);
    backDistanceBox_->removeEventFilter(this);
    tallySplitter_->removeEventFilter(this);
}

Notices& MainWindow::notices() {
    return liveView_->notices();
}

void MainWindow::refreshAfterHistoryChange() {
    showHistory();
    showNextPeriod();
    showTargets();
    showSpan();
    trendView_->historyChanged();
    playView_->historyChanged();
    shrinkView_->historyChanged();
    if (backtestActions_) backtestActions_->historyChanged();
    ticketsView_->refresh();
}

void MainWindow::tellSettled(const QString& line, int period) {
    notices().post(NoticeKind::Ticket, line.toStdString(), period);
}

void MainWindow::showSettings() {
    const Settings& s = workspace_.settings();
    updateMenuChecks();
    modeButtons_[s.positionMode == search::PositionMode::Free ? 1 : 0]->setChecked(true);
    modeButtons_[s.periodMode == search::PeriodMode::Last ? 3 : 2]->setChecked(true);
    resultKindButtons_[s.resultKind]->setChecked(true);
    backDistanceBox_->setText(QString::number(s.backDistance));
    combinationSizeBox_->setCurrentText(QString::number(s.combinationSize));
    searchKindButtons_[s.searchKind]->setChecked(true);
    drawOrderButton_->setChecked(true);
}

void MainWindow::updateMenuChecks() {
    const Settings& s = workspace_.settings();
    for (size_t i = 0; i < gameItems_.size(); ++i)
        gameItems_[i]->setChecked(gameItemGames_[i] == s.game);
    zodiacOrderItems_[0]->setChecked(s.zodiacInAnimalOrder);
    zodiacOrderItems_[1]->setChecked(!s.zodiacInAnimalOrder);
    for (int i = 0; i < 2; ++i) {
        zodiacBaseItems_[i]->setChecked(i == s.zodiacBase);
        segmentBaseItems_[i]->setChecked(i == s.segmentBase);
    }
}

void MainWindow::showTitle() {
    const QString program = QStringLiteral("11选5 历史号码分析");
    const history::Game game = workspace_.settings().game;
    setWindowTitle(!history::games()->find(game)
                       ? program
                       : QStringLiteral("%1 — %2").arg(
                             QString::fromStdString(history::gameName(game)), program));
}

void MainWindow::showNextPeriod() {
    // While the history is empty the user types the id of the first draw here.
    const bool empty = workspace_.rows().empty();
    if (!empty)
        nextPeriodBox_->setText(QString::fromStdString(workspace_.nextPeriodText()));
    else if (nextPeriodBox_->isReadOnly())
        nextPeriodBox_->clear(); // the history was just emptied: the old next id means nothing now
    nextPeriodBox_->setReadOnly(!empty);
    nextPeriodBox_->setToolTip(empty ? QStringLiteral("输入第一期的十位期号（年月日加当天期数）")
                                     : QStringLiteral("下一期的期号"));
}

void MainWindow::showTargets() {
    const auto& texts = workspace_.targetTexts();
    for (int k = 0; k < 5; ++k) referenceTargetBoxes_[k]->setText(QString::fromStdString(texts[k]));
}

void MainWindow::showSpan() {
    if (const QString moved = spanMovedNote(spanBoxes_[0]->text(), workspace_); !moved.isEmpty())
        statusBar()->showMessage(moved, 30000);
    spanBoxes_[0]->setText(QString::fromStdString(workspace_.spanStart()));
    spanBoxes_[1]->setText(QString::fromStdString(workspace_.spanEnd()));
}

void MainWindow::showHistory() {
    historyModel_->refresh();
    // How to begin a history means nothing while none is open.
    emptyHistoryHint_->setVisible(workspace_.rows().empty() && workspace_.databaseOpen());
    scrollHistoryToEnd();
}

void MainWindow::scrollHistoryToEnd() {
    // The newest draw is in view whatever the window's height (a grid that holds every row does
    // not move).
    historyGrid_->scrollToBottom();
}

void MainWindow::showDatabaseStatus() {
    const bool open = workspace_.databaseOpen();
    if (open && !workspace_.readOnly()) {
        if (databaseStatus_) databaseStatus_->hide();
        return;
    }
    if (!databaseStatus_) {
        databaseStatus_ = new QLabel;
        databaseStatus_->setObjectName(QStringLiteral("databaseStatus"));
        statusBar()->addPermanentWidget(databaseStatus_);
    }
    // A history that can only be read says so as long as it is shown.
    databaseStatus_->setText(open ? QStringLiteral("历史号码只读（数据文件夹不能写入）")
                                  : QStringLiteral("历史数据库未打开"));
    databaseStatus_->setToolTip(
        QString::fromStdString(open ? workspace_.readOnlyProblem() : workspace_.databaseProblem()));
    databaseStatus_->show();
}

MainWindow::ShownHistory MainWindow::shownHistory() const {
    return {workspace_.settings().game, workspace_.databasePath(), workspace_.databaseOpen()};
}

void MainWindow::showGameSwitch(const ShownHistory& before) {
    updateMenuChecks();
    showTitle();
    const ShownHistory now = shownHistory();
    const bool switched =
        now.game != before.game || now.file != before.file || now.open != before.open;
    if (switched) {
        refreshAfterHistoryChange();
        if (now.game != before.game) markResultsOfOtherGame();
    }
    // The period column is eight or ten digits by game.
    historyGrid_->viewport()->update();
    showDatabaseStatus();
    reportSettingsProblem();
    if (workspace_.refusedFileGame())
        offerRefusedFile();
    else if (switched && !now.open)
        reportDatabaseProblem();
}

void MainWindow::offerRefusedFile() {
    const auto recorded = workspace_.refusedFileGame();
    if (!recorded) return;
    const QString chosen = QString::fromStdString(history::gameName(workspace_.settings().game));
    const QString text =
        QString::fromStdString(workspace_.databaseProblem()) +
        QStringLiteral("\n\n要把这个文件作为%1的历史号码使用吗？选“取消”则不改动这个文件。")
            .arg(chosen);
    if (!prompter_.confirm(QStringLiteral("彩种不符"), text)) return;
    const Outcome taken = workspace_.takeFileAsCurrentGame();
    refreshAfterHistoryChange();
    showDatabaseStatus();
    if (!taken.ok)
        prompter_.warn(QStringLiteral("历史数据库"), QString::fromStdString(taken.message));
}

void MainWindow::markResultsCurrent() {
    resultsShown_ = true;
    resultsGame_ = static_cast<int>(workspace_.settings().game);
    staleResultsHint_->setText(kStaleResultsText);
    staleResultsHint_->hide();
    for (QTableView* grid : {hitGrid_, resultGrid_}) grid->setPalette(QPalette());
    if (auto* chart = tallyChartHost_->findChild<TallyChart*>()) chart->setFaded(false);
}

void MainWindow::markResultsOfOtherGame() {
    if (!resultsShown_) return;
    markResultsStale();
    staleResultsHint_->setText(
        QStringLiteral("以下检索结果属于%1的历史号码，请重新检索")
            .arg(QString::fromStdString(history::gameName(history::Game{resultsGame_}))));
}

void MainWindow::markResultsStale() {
    if (!resultsShown_) return; // the grids show column titles only: nothing to mark
    // A later change of the history keeps a note that names the other game.
    if (staleResultsHint_->isHidden()) staleResultsHint_->setText(kStaleResultsText);
    staleResultsHint_->show();
    // The grids keep scrolling and selecting; their texts and background turn grey.
    for (QTableView* grid : {hitGrid_, resultGrid_}) {
        QPalette palette = grid->palette();
        for (const auto group : {QPalette::Active, QPalette::Inactive}) {
            for (const auto role : {QPalette::Text, QPalette::Base, QPalette::AlternateBase})
                palette.setColor(group, role, palette.color(QPalette::Disabled, role));
        }
        grid->setPalette(palette);
    }
    if (auto* chart = tallyChartHost_->findChild<TallyChart*>()) chart->setFaded(true);
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    // The grid knows its height only now.
    scrollHistoryToEnd();
    QTimer::singleShot(0, this, &MainWindow::restoreLayoutAfterShow);
    if (workspace_.refusedFileGame())
        QTimer::singleShot(0, this, &MainWindow::offerRefusedFile);
    else if (!workspace_.databaseOpen())
        QTimer::singleShot(0, this, &MainWindow::reportDatabaseProblem);
    std::string notice = workspace_.takeDatabaseNotice();
    // Two files of another game are told now as well: the user learns it before choosing it.
    for (const history::Game game : GameService(workspace_).followed())
        if (game != workspace_.settings().game)
            if (const auto two = workspace_.twoFilesProblem(game))
                notice += (notice.empty() ? "" : "\n\n") + *two;
    if (!notice.empty())
        QTimer::singleShot(0, this, [this, notice] {
            prompter_.warn(QStringLiteral("历史数据库"), QString::fromStdString(notice));
        });
    if (const Outcome sound = workspace_.checkDraws(); !sound.ok)
        QTimer::singleShot(0, this, [this, message = sound.message] {
            prompter_.warn(QStringLiteral("历史号码已损坏"), QString::fromStdString(message));
        });
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && shownOnce_) {
        followOutsideSettings();
        followOutsideChanges();
    }
}

void MainWindow::followOutsideChanges() {
    // A dialog or long work may be in the middle of an operation (the event loop runs meanwhile).
    if (windowBusy() || QApplication::activePopupWidget()) return;
    if (!workspace_.followOutsideChanges()) return;
    const QString moved = spanMovedNote(spanBoxes_[0]->text(), workspace_);
    refreshAfterHistoryChange();
    markResultsStale();
    statusBar()->showMessage(QStringLiteral("历史号码已被另一个程序修改，已重新读入（共%1期）。%2")
                                 .arg(static_cast<qulonglong>(workspace_.rows().size()))
                                 .arg(moved),
                             moved.isEmpty() ? 8000 : 30000);
}

void MainWindow::followOutsideSettings() {
    if (windowBusy()) return;
    const ShownHistory before = shownHistory();
    if (!workspace_.rereadSettings()) return;
    showSettings();
    // A game chosen elsewhere brings its history, as choosing it in the menu does.
    showGameSwitch(before);
    showNextPeriod();
    showTargets();
    showSpan();
}

void MainWindow::reportDatabaseProblem() {
    prompter_.warn(QStringLiteral("历史数据库"),
                   QString::fromStdString(workspace_.databaseProblem()));
}

void MainWindow::openHelpPage(HelpPage page) {
    const HelpPagesResult pages = prepareHelpPage(workspace_.dataDir(), page);
    const QString title = QStringLiteral("帮助");
    if (!pages.ok) {
        prompter_.warn(title, QString::fromStdString(pages.message));
        return;
    }
    const QString path = QString::fromStdString(pages.path);
    if (!pageOpener_(QUrl::fromLocalFile(path))) {
        prompter_.tell(title, noProgramText(path));
        return;
    }
    // The desktop may have handed the page to no browser at all without saying so.
    statusBar()->showMessage(
        QStringLiteral("帮助页面在“%1”；如果浏览器没有打开它，请用浏览器打开这个文件。")
            .arg(QDir::toNativeSeparators(path)),
        15000);
}

void MainWindow::connectHandlers() {
    connectEntry();
    connectOptions();
    connectMenus();
}

} // namespace app::gui
