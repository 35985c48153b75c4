#pragma once
// The live program in the window: the draw clock in the status bar, ticking every second; the
// automatic update (历史管理 → 自动更新) running in the background after each due draw; a notice
// for each new draw however it came and for each alert it set off, naming the draw, the views
// following and the last search run again; the list of notices (the status bar's 通知 button);
// the omission alerts (历史管理 → 遗漏提醒); the automatic update's log (历史管理 → 自动更新记录),
// which gets every notice too; the draw times (设置 → 开奖时间).

#include "workspace/auto_update_log.h"
#include "workspace/background_update.h"
#include "workspace/games_update.h"
#include "workspace/live_service.h"
#include "workspace/notices.h"

#include <QObject>
#include <QPointer>

#include <memory>

class QAction;
class QLabel;
class QPushButton;
class QTimer;

namespace app::gui {

class MainWindow;
class NoticeView;
class Prompter;

class LiveView : public QObject {
    Q_OBJECT
  public:
    LiveView(MainWindow& window, Workspace& workspace, Prompter& prompter);
    ~LiveView() override;

    // Tests: a clock of their own; the clock is read anew at once.
    void setClock(NowFunction now);
    LiveService& service() { return *live_; }
    // Every notice of the window goes here (see Notices).
    Notices& notices() { return notices_; }
    NoticeView& noticeView() { return *noticeView_; }
    const AutoUpdateLog& log() const { return log_; }
    bool updating() const { return background_.running(); }
    // Once a second: the clock, the automatic update's plan, what is new.
    void tick();
    // The automatic update of a followed game as the hall shows it: the window's game is updated
    // here, every other followed game with a history by its own update beside it.
    HallUpdateState updateState(history::Game game) const;

  private:
    void addMenuItems();
    void onAutoUpdateToggled(bool on);
    void onLogClicked();
    void onDrawTimesClicked();
    void onAlertsClicked();
    void startUpdate(int period);
    void onUpdateFinished();
    // The draws stored since the last look: told, the views shown anew, the search run again.
    void followNews();
    void tickOtherGames();
    void onOtherGameEvent(const GameUpdateEvent& event);
    void addLog(const std::string& line);
    void showClock();

    MainWindow& window_;
    Workspace& workspace_;
    Prompter& prompter_;
    std::unique_ptr<LiveService> live_;
    Notices notices_;
    NoticeView* noticeView_ = nullptr;
    NowFunction now_;
    BackgroundUpdate background_;
    std::unique_ptr<GamesUpdate> otherGames_;
    HallUpdateState currentState_;
    AutoUpdateLog log_;
    QTimer* timer_ = nullptr;
    QLabel* clockLabel_ = nullptr;
    QAction* autoUpdateItem_ = nullptr;
    // The search button the user pressed last (检索 or 组合检索), run again after a new draw.
    QPointer<QPushButton> lastSearch_;
    int chasedPeriod_ = 0;
    // The automatic update's last failure told, so that each retry does not tell it again.
    std::string failureTold_;
};

} // namespace app::gui
