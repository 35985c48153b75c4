// The search options, the target panel, the span boxes and the settings menus.

#include "gui/window/main_window.h"

#include "gui/common/prompter.h"
#include "gui/history/history_actions.h"
#include "gui/history/history_model.h"
#include "gui/window/game_dialogs.h"
#include "history/game_catalog.h"
#include "history/game_record.h"
#include "workspace/game_service.h"
#include "workspace/help_pages.h"
#include "workspace/workspace.h"

#include <algorithm>

#include <QAction>
#include <QActionGroup>
#include <QCursor>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>

namespace app::gui {

void MainWindow::connectOptions() {
    for (int i = 0; i < 4; ++i)
        connect(modeButtons_[i], &QRadioButton::clicked, this, [this, i] { onModeClicked(i); });
    for (int i = 0; i < 6; ++i) {
        connect(searchKindButtons_[i], &QRadioButton::clicked, this,
                [this, i] { onSearchKindClicked(i); });
        connect(resultKindButtons_[i], &QRadioButton::clicked, this,
                [this, i] { onResultKindClicked(i); });
    }
    connect(landingOrderButton_, &QRadioButton::clicked, this, &MainWindow::onNumberOrderClicked);
    connect(drawOrderButton_, &QRadioButton::clicked, this, &MainWindow::onNumberOrderClicked);
    connect(targetTabs_, &QTabWidget::currentChanged, this, &MainWindow::onTargetTabChanged);
    // A typed target counts from the moment it is typed, as it would on leaving the box.
    for (QLineEdit* text : typedTargetBoxes_)
        connect(text, &QLineEdit::textChanged, this, &MainWindow::onTargetTabChanged);
    for (QLineEdit* text : spanBoxes_)
        connect(text, &QLineEdit::textEdited, this, &MainWindow::onSpanEdited);
    connect(settingsButton_, &QPushButton::clicked, this, &MainWindow::onSettingsClicked);
    connect(historyGrid_, &QTableView::customContextMenuRequested, this,
            &MainWindow::onHistoryGridContextMenu);
    // The header row offers the same menu as the cells.
    QHeaderView* header = historyGrid_->horizontalHeader();
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(header, &QHeaderView::customContextMenuRequested, this,
            [this, header](QPoint at) { historyMenu_->popup(header->mapToGlobal(at)); });
}

void MainWindow::connectMenus() {
    for (int i = 0; i < 2; ++i) {
        connect(zodiacBaseItems_[i], &QAction::triggered, this,
                [this, i] { onZodiacBaseChosen(i); });
        connect(segmentBaseItems_[i], &QAction::triggered, this,
                [this, i] { onSegmentBaseChosen(i); });
        connect(zodiacOrderItems_[i], &QAction::triggered, this,
                [this, i] { onZodiacOrderChosen(i); });
    }
    connect(homePageItem_, &QAction::triggered, this, [this] { openHelpPage(HelpPage::About); });
    connect(descriptionItem_, &QAction::triggered, this, [this] { openHelpPage(HelpPage::Guide); });
    connect(demoDownloadItem_, &QAction::triggered, this,
            [this] { openHelpPage(HelpPage::Walkthroughs); });
}

void MainWindow::onModeClicked(int index) {
    // The four buttons: 固定位, 自由位, 前期, 上期.
    if (index == 0 || index == 1)
        workspace_.setPositionMode(index == 1 ? search::PositionMode::Free
                                              : search::PositionMode::Fixed);
    else
        workspace_.setPeriodMode(index == 3 ? search::PeriodMode::Last : search::PeriodMode::Back);
    showTargets();
    showSpan();
    reportSettingsProblem();
}

void MainWindow::onNumberOrderClicked() {
    // The number order selects nothing; the targets are reloaded as they are.
    workspace_.reloadTargets();
    showTargets();
}

void MainWindow::onSearchKindClicked(int index) {
    workspace_.setSearchKind(history::Kind(index));
    showTargets();
    reportSettingsProblem();
}

void MainWindow::onResultKindClicked(int index) {
    workspace_.setResultKind(history::Kind(index));
    reportSettingsProblem();
}

std::array<std::string, 5> MainWindow::typedTargets() const {
    std::array<std::string, 5> typed;
    for (int k = 0; k < 5; ++k) typed[k] = typedTargetBoxes_[k]->text().toStdString();
    return typed;
}

void MainWindow::onTargetTabChanged() {
    workspace_.setTargetSource(targetTabs_->currentIndex() == 1 ? TargetSource::Typed
                                                                : TargetSource::ReferenceDraw,
                               typedTargets());
}

void MainWindow::onSpanEdited() {
    workspace_.setSpan(spanBoxes_[0]->text().toStdString(), spanBoxes_[1]->text().toStdString());
}

void MainWindow::onSettingsClicked() {
    settingsMenu_->popup(QCursor::pos());
}

void MainWindow::onHistoryGridContextMenu(const QPoint& position) {
    historyMenu_->popup(historyGrid_->viewport()->mapToGlobal(position));
}

void MainWindow::reportSettingsProblem() {
    // A damaged settings file was copied aside before a setting was saved over it.
    if (const auto notice = workspace_.settingsFile().takeNotice())
        prompter_.warn(QStringLiteral("设置"), QString::fromStdString(*notice));
    const auto problem = workspace_.settingsFile().takeSaveProblem();
    if (!problem) return;
    const QString text = QString::fromStdString(*problem);
    // Told once in a box; after that the status bar says it, so a read-only settings file does
    // not make every click a dialog.
    if (!settingsProblemTold_) prompter_.warn(QStringLiteral("设置"), text);
    settingsProblemTold_ = true;
    statusBar()->showMessage(text, 8000);
}

void MainWindow::onGameChosen(history::Game game) {
    const ShownHistory before = shownHistory();
    // Each game has its own history: the chosen game's is shown at once.
    workspace_.setGame(game);
    rebuildGameMenu();
    showGameSwitch(before);
}

void MainWindow::rebuildGameMenu() {
    gameMenu_->clear();
    gameItems_.clear();
    gameItemGames_ = GameService(workspace_).followed();
    const history::Game current = workspace_.settings().game;
    // A game chosen from the list of all stays in the menu while it is the current one.
    if (history::games()->find(current) &&
        std::find(gameItemGames_.begin(), gameItemGames_.end(), current) == gameItemGames_.end())
        gameItemGames_.push_back(current);
    auto* group = new QActionGroup(gameMenu_);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (size_t i = 0; i < gameItemGames_.size(); ++i) {
        const history::Game game = gameItemGames_[i];
        auto* item = gameMenu_->addAction(QString::fromStdString(history::gameName(game)));
        item->setObjectName(QStringLiteral("mnu11S5_%1").arg(i));
        item->setCheckable(true);
        item->setChecked(game == current);
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, game] { onGameChosen(game); });
        gameItems_.push_back(item);
    }
    gameMenu_->addSeparator();
    auto* more = gameMenu_->addAction(QStringLiteral("更多游戏…"));
    more->setObjectName(QStringLiteral("mnuMoreGames"));
    connect(more, &QAction::triggered, this, &MainWindow::onMoreGamesClicked);
}

void MainWindow::onMoreGamesClicked() {
    GameListDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted || !dialog.chosen()) return;
    onGameChosen(*dialog.chosen());
}

void MainWindow::onGameTimesClicked() {
    GameTimesDialog dialog(workspace_, this);
    dialog.exec();
    // Schedules and followed games may have changed: the menu, the next period and the clock.
    rebuildGameMenu();
    reportSettingsProblem();
    showNextPeriod();
}

void MainWindow::onZodiacBaseChosen(int index) {
    const int before = workspace_.settings().zodiacBase;
    workspace_.setZodiacBase(index);
    updateMenuChecks();
    if (workspace_.settings().zodiacBase != before) historyActions_->offerRebuild();
    reportSettingsProblem();
}

void MainWindow::onSegmentBaseChosen(int index) {
    const int before = workspace_.settings().segmentBase;
    workspace_.setSegmentBase(index);
    updateMenuChecks();
    if (workspace_.settings().segmentBase != before) historyActions_->offerRebuild();
    reportSettingsProblem();
}

void MainWindow::onZodiacOrderChosen(int index) {
    const bool before = workspace_.settings().zodiacInAnimalOrder;
    workspace_.setZodiacOrder(index == 0);
    updateMenuChecks();
    if (workspace_.settings().zodiacInAnimalOrder != before) historyActions_->offerRebuild();
    reportSettingsProblem();
}

} // namespace app::gui
