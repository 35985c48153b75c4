#pragma once
// The main window frmMain: a thin shell over the workspace. Each handler gathers what the user
// set, calls the workspace and shows the result. Controls keep their names as objectName; arrays
// of controls are named Name_Index (Option3_0, MaskEdBox1_5).

#include "history/period.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <string>

class QAction;
class QActionGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QSplitter;
class QStackedWidget;
class QTabBar;
class QTabWidget;
class QTableView;
class QUrl;

namespace app {
class Notices;
class Workspace;
enum class HelpPage;
} // namespace app

namespace app::gui {

class BacktestActions;
class HistoryActions;
class HistoryModel;
class LiveView;
class Prompter;
class PlayView;
class ShrinkView;
class TicketsView;
class TrendView;
class HallView;
class WindowState;

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    MainWindow(Workspace& workspace, Prompter& prompter, QWidget* parent = nullptr);
    ~MainWindow() override;

    // After any change of the stored draws: the grid, the next period id, the targets and the
    // search span as the workspace now holds them.
    void refreshAfterHistoryChange();
    // A period that settled a recorded ticket ("第…期 任五 中奖 540 元"), posted as a notice.
    void tellSettled(const QString& line, int period);

    HistoryModel* historyModel() const { return historyModel_; }

    // The window's notices: whatever is to be told to the player is posted there (see Notices);
    // the status bar, the list of notices and the desktop's notifications show it.
    Notices& notices();

    // Tells the user when a choice could not be written to the settings store.
    void reportSettingsProblem();

    // Before a search started by its shortcut (the focus stays where it was): a period distance
    // still being typed is taken as leaving its box would take it.
    void commitEditedBoxes();

    // The result grids and the tally chart show the latest search; after the history was
    // replaced, cut back or cleared they are marked as belonging to the history before, until
    // the next search shows its result.
    void markResultsCurrent();
    void markResultsStale();
    // After a switch of the game: the results are marked as the other game's.
    void markResultsOfOtherGame();

    // Shows a help page in the system web browser; false when no browser took it. The window
    // tests put their own in place.
    using PageOpener = std::function<bool(const QUrl&)>;
    void setPageOpener(PageOpener opener) { pageOpener_ = std::move(opener); }

    // The pages chosen by the tab bar under the menus: 检索, 走势图, 玩法, 缩水, 大厅, 我的投注.
    enum class Page { Search, Trend, Plays, Shrink, Hall, Tickets };
    void showPage(Page page);
    Page currentPage() const;
    // The window's size when it was last closed, or an invalid size.
    QSize rememberedSize() const;
    bool rememberedMaximized() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    // ---- building the window (main_window_layout.cpp) ----
    void buildMenus();
    void buildCentral();
    QWidget* buildSearchPage();
    QWidget* buildHistoryColumn();
    QWidget* buildSearchColumn();
    QWidget* buildResultColumn();
    QWidget* buildEntryLine();
    QWidget* buildOptionFrames();
    QWidget* buildTargetTabs();
    QWidget* buildSpanAndCombination();
    QWidget* buildButtons();
    void fitTallyToWidth();
    QGroupBox* buildKindFrame(const char* name, const QString& title,
                              std::array<QRadioButton*, 6>& buttons, const char* prefix);

    // ---- the pages and what the window remembers of them (main_window_pages.cpp) ----
    // The tab bar with the draw entry line beside it, over the pages.
    void buildPages(QWidget* searchPage);
    void restoreWindowState();
    // Once the window has its size: the splitters as they were left, the newest draw in view.
    void restoreLayoutAfterShow();
    void saveWindowState();

    // ---- start-up and refresh (main_window.cpp) ----
    void showSettings();
    void updateMenuChecks();
    void showTitle();
    void showNextPeriod();
    void showTargets();
    void showSpan();
    void showHistory();
    void scrollHistoryToEnd();
    void reportDatabaseProblem();
    // The status bar's note while the database is not open.
    void showDatabaseStatus();
    // The current game's file records another game: asks whether to take it as this game's
    // history; nothing changes unless the user says so.
    void offerRefusedFile();
    // The history the window shows: after a game switch (from the menu or from settings another
    // process wrote) the window follows when any of it changed.
    struct ShownHistory {
        history::Game game;
        std::string file;
        bool open;
    };
    ShownHistory shownHistory() const;
    void showGameSwitch(const ShownHistory& before);
    void connectHandlers();
    void openHelpPage(HelpPage page);
    // Another process (a command line, another window) changed the database: shows the history
    // as it is now, the results marked as belonging to the history before. Looked at on a short
    // timer and when the window is activated; never while a dialog or an operation runs.
    void followOutsideChanges();
    // Settings another process wrote, read again when the window is activated.
    void followOutsideSettings();

    // ---- draw entry and period distance (main_window_entry.cpp) ----
    void connectEntry();
    void onEntryBoxChanged(int index);
    bool entryBoxComplete(int index) const;
    bool storeEntry();
    void clearEntry();
    void focusEntryProblem(const QString& message);
    void onBackDistanceLeft();
    // Five numbers on the clipboard fill the five boxes and are stored as typing them would
    // store them; false (nothing done) for any other text.
    bool pasteDraw();
    // The first box's context menu, whose paste item goes through pasteDraw.
    void showFirstEntryBoxMenu(const QPoint& globalPosition);

    // ---- options, target panel and menus (main_window_options.cpp) ----
    void connectOptions();
    void connectMenus();
    void onModeClicked(int index);
    void onNumberOrderClicked();
    void onSearchKindClicked(int index);
    void onResultKindClicked(int index);
    void onTargetTabChanged();
    void onSpanEdited();
    void onSettingsClicked();
    void onGameChosen(history::Game game);
    // The game menu anew: the games followed, the current one if it is not among them, then
    // 更多游戏…; after the games followed or known changed.
    void rebuildGameMenu();
    void onMoreGamesClicked();
    void onGameTimesClicked();
    void onZodiacBaseChosen(int index);
    void onSegmentBaseChosen(int index);
    void onZodiacOrderChosen(int index);
    void onHistoryGridContextMenu(const QPoint& position);
    std::array<std::string, 5> typedTargets() const;

    Workspace& workspace_;
    Prompter& prompter_;
    HistoryModel* historyModel_ = nullptr;
    HistoryActions* historyActions_ = nullptr;
    BacktestActions* backtestActions_ = nullptr;
    LiveView* liveView_ = nullptr;
    PageOpener pageOpener_;

    // True from the moment a draw is stored until the next key press in an entry box.
    bool entryJustStored_ = false;
    // The last attempt to store the entry was refused; completing a box tries again.
    bool entryRefused_ = false;
    bool shownOnce_ = false;
    bool settingsProblemTold_ = false;
    // A search has shown its result in the grids, and the game whose history it searched.
    bool resultsShown_ = false;
    int resultsGame_ = 0;
    // The result grid and the chart were arranged for the width of their splitter.
    bool tallyFitted_ = false;

    // Menus.
    QMenu* historyMenu_ = nullptr;
    QMenu* settingsMenu_ = nullptr;
    QAction* exportHistoryItem_ = nullptr;
    QAction* deleteNewestItem_ = nullptr;
    QAction* clearHistoryItem_ = nullptr;
    QAction* cutBackItem_ = nullptr;
    QAction* deleteLastItem_ = nullptr;
    std::array<QAction*, 2> zodiacBaseItems_{};
    std::array<QAction*, 2> segmentBaseItems_{};
    std::array<QAction*, 2> zodiacOrderItems_{};
    QMenu* gameMenu_ = nullptr;
    std::vector<QAction*> gameItems_;
    std::vector<history::Game> gameItemGames_;
    QAction* updateDaysItem_ = nullptr;
    QAction* homePageItem_ = nullptr;
    QAction* descriptionItem_ = nullptr;
    QAction* demoDownloadItem_ = nullptr;

    // Entry line.
    QLabel* entryLabel_ = nullptr;
    QLineEdit* nextPeriodBox_ = nullptr;
    std::array<QLineEdit*, 5> entryBoxes_{}; // MaskEdBox1(1..5) at [0..4]

    // The pages and the tab bar that chooses them.
    QTabBar* pageBar_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    TrendView* trendView_ = nullptr;
    HallView* hallView_ = nullptr;
    PlayView* playView_ = nullptr;
    ShrinkView* shrinkView_ = nullptr;
    TicketsView* ticketsView_ = nullptr;
    WindowState* windowState_ = nullptr;

    // History grid.
    QTableView* historyGrid_ = nullptr;
    QLabel* emptyHistoryHint_ = nullptr;

    // Search options.
    std::array<QRadioButton*, 6> searchKindButtons_{};
    std::array<QRadioButton*, 6> resultKindButtons_{};
    std::array<QRadioButton*, 4> modeButtons_{};
    QRadioButton* landingOrderButton_ = nullptr;
    QRadioButton* drawOrderButton_ = nullptr;
    QLineEdit* backDistanceBox_ = nullptr;

    // Target panel.
    QTabWidget* targetTabs_ = nullptr;
    std::array<QCheckBox*, 5> referencePositionChecks_{};
    std::array<QLineEdit*, 5> referenceTargetBoxes_{};
    std::array<QCheckBox*, 5> typedPositionChecks_{};
    std::array<QLineEdit*, 5> typedTargetBoxes_{};

    // Span, combination and buttons.
    std::array<QLineEdit*, 2> spanBoxes_{};
    QComboBox* combinationSizeBox_ = nullptr;
    QLabel* combinationSizeLabel_ = nullptr;
    QPushButton* searchButton_ = nullptr;
    QPushButton* combinationSearchButton_ = nullptr;
    QPushButton* backtestButton_ = nullptr;
    QPushButton* deleteNewestButton_ = nullptr;
    QPushButton* exportTextButton_ = nullptr;
    QPushButton* settingsButton_ = nullptr;
    QPushButton* onlineUpdateButton_ = nullptr;
    QPushButton* importButton_ = nullptr;

    // The columns: history | search panel | results, the panel scrolling when the window is low.
    QSplitter* columnSplitter_ = nullptr;
    QScrollArea* searchScroll_ = nullptr;

    // Result grids and the place of the tally chart: the hit grid above the result grid and the
    // chart, these two side by side when the column is wide enough, else one above the other.
    QWidget* resultColumn_ = nullptr;
    QLabel* staleResultsHint_ = nullptr;
    QSplitter* resultSplitter_ = nullptr;
    QSplitter* tallySplitter_ = nullptr;
    QTableView* hitGrid_ = nullptr;
    QTableView* resultGrid_ = nullptr;
    QWidget* tallyChartHost_ = nullptr;
    QLabel* databaseStatus_ = nullptr;
};

} // namespace app::gui
