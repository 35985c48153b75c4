#pragma once
// The main window frmMain: a thin shell over the workspace. Each handler gathers what the user
// set, calls the workspace and shows the result. Controls keep their names as objectName; arrays
// of controls are named Name_Index (Option3_0, MaskEdBox1_5).

#include <QMainWindow>

#include <array>

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
class QTabWidget;
class QTableView;

namespace app {
class Workspace;
}

namespace app::gui {

class HistoryModel;
class Prompter;

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    MainWindow(Workspace& workspace, Prompter& prompter, QWidget* parent = nullptr);
    ~MainWindow() override;

    // After any change of the stored draws: the grid, the next period id, the targets and the
    // search span as the workspace now holds them.
    void refreshAfterHistoryChange();

    HistoryModel* historyModel() const { return historyModel_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    // ---- building the window (main_window_layout.cpp) ----
    void buildMenus();
    void buildCentral();
    QWidget* buildHistoryColumn();
    QWidget* buildSearchColumn();
    QWidget* buildResultColumn();
    QWidget* buildEntryLine();
    QWidget* buildOptionFrames();
    QWidget* buildTargetTabs();
    QWidget* buildSpanAndCombination();
    QWidget* buildButtons();
    QGroupBox* buildKindFrame(const char* name, const QString& title,
                              std::array<QRadioButton*, 6>& buttons, const char* prefix);

    // ---- start-up and refresh (main_window.cpp) ----
    void showSettings();
    void updateMenuChecks();
    void showNextPeriod();
    void showTargets();
    void showSpan();
    void showHistory();
    void scrollHistoryToEnd();
    void reportDatabaseProblem();
    void connectHandlers();
    void disableLaterWork();

    // ---- draw entry and period distance (main_window_entry.cpp) ----
    void connectEntry();
    void MaskEdBox1_Change(int index);
    bool entryBoxComplete(int index) const;
    bool storeEntry();
    void clearEntry();
    void focusEntryProblem(const QString& message);
    void MaskEdBox2_LostFocus();

    // ---- options, target panel and menus (main_window_options.cpp) ----
    void connectOptions();
    void connectMenus();
    void Option1_Click(int index);
    void Option2_Click();
    void Option3_Click(int index);
    void Option4_Click(int index);
    void TabStrip1_Click();
    void Text3_Change();
    void Command9_Click();
    void mnu11S5_Click(int index);
    void mnuSxcs_Click(int index);
    void mnuDscs_Click(int index);
    void mnuSxsetup_Click(int index);
    void MSFlexGrid1_MouseUp(const QPoint& position);
    std::array<std::string, 5> typedTargets() const;

    Workspace& workspace_;
    Prompter& prompter_;
    HistoryModel* historyModel_ = nullptr;

    // True from the moment a draw is stored until the next key press in an entry box.
    bool bolEntryDone_ = false;
    // The last attempt to store the entry was refused; completing a box tries again.
    bool entryRefused_ = false;
    bool shownOnce_ = false;

    // Menus.
    QMenu* mnuLsgl_ = nullptr;
    QMenu* mnuSetup_ = nullptr;
    QAction* mnuDcls_ = nullptr;
    QAction* mnuErase_ = nullptr;
    QAction* mnuClear_ = nullptr;
    QAction* mnuDlzd_ = nullptr;
    QAction* mnuEszhzd_ = nullptr;
    std::array<QAction*, 2> mnuSxcs_{};
    std::array<QAction*, 2> mnuDscs_{};
    std::array<QAction*, 2> mnuSxsetup_{};
    std::array<QAction*, 4> mnu11S5_{};
    QAction* mnuSetDay_ = nullptr;
    QAction* mnuFrontPage_ = nullptr;
    QAction* mnuDescrb_ = nullptr;
    QAction* numYanshiDown_ = nullptr;

    // Entry line.
    QLabel* Label12_ = nullptr;
    QLineEdit* Text1_ = nullptr;
    std::array<QLineEdit*, 5> MaskEdBox1_{}; // MaskEdBox1(1..5) at [0..4]

    // History grid.
    QTableView* MSFlexGrid1_ = nullptr;
    QLabel* emptyHistoryHint_ = nullptr;

    // Search options.
    std::array<QRadioButton*, 6> Option3_{};
    std::array<QRadioButton*, 6> Option4_{};
    std::array<QRadioButton*, 4> Option1_{};
    QRadioButton* Option2_4_ = nullptr;
    QRadioButton* Option2_5_ = nullptr;
    QLineEdit* MaskEdBox2_ = nullptr;

    // Target panel.
    QTabWidget* TabStrip1_ = nullptr;
    std::array<QCheckBox*, 5> Check1_{};
    std::array<QLineEdit*, 5> Text2_{};
    std::array<QCheckBox*, 5> Check11_{};
    std::array<QLineEdit*, 5> Text22_{};

    // Span, combination and buttons.
    std::array<QLineEdit*, 2> Text3_{};
    QComboBox* Combo1_ = nullptr;
    QLabel* Label1_ = nullptr;
    QPushButton* Command1_ = nullptr;
    QPushButton* Command2_ = nullptr;
    QPushButton* Command3_ = nullptr;
    QPushButton* Command4_ = nullptr;
    QPushButton* Command9_ = nullptr;
    QPushButton* Command21_ = nullptr;
    QPushButton* cmdRdLst_ = nullptr;

    // Result grids and the place of the tally chart.
    QTableView* MSFlexGrid2_ = nullptr;
    QTableView* MSFlexGrid3_ = nullptr;
    QWidget* tallyChartHost_ = nullptr;
    QLabel* databaseStatus_ = nullptr;
};

} // namespace app::gui
