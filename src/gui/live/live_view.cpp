#include "gui/live/live_view.h"

#include "gui/common/background_work.h"
#include "gui/common/prompter.h"
#include "gui/live/alerts_dialog.h"
#include "gui/live/notice_view.h"
#include "gui/window/main_window.h"
#include "history/game_record.h"
#include "workspace/game_service.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

namespace app::gui {

namespace {

QString text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

// "2025-02-09 19:11:00" in Beijing time.
std::string logTime(SystemTime when) {
    std::string iso = beijingIsoText(when);
    iso[10] = ' ';
    return iso.substr(0, 19);
}

// More new draws at once are told as one notice.
constexpr size_t kDrawsToldOneByOne = 100;

} // namespace

LiveView::LiveView(MainWindow& window, Workspace& workspace, Prompter& prompter)
    : QObject(&window), window_(window), workspace_(workspace), prompter_(prompter),
      log_(workspace.dataDir()) {
    setObjectName(QStringLiteral("liveView"));
    live_ = std::make_unique<LiveService>(workspace_);
    live_->takeNews();
    otherGames_ = std::make_unique<GamesUpdate>(workspace_, [this] { return live_->now(); });
    // Every notice is in the log too.
    notices_.listen([this](const Notice* posted) {
        if (posted) addLog(posted->text);
    });
    noticeView_ = new NoticeView(notices_, *window_.statusBar(), this);
    clockLabel_ = new QLabel(&window_);
    clockLabel_->setObjectName(QStringLiteral("drawClock"));
    window_.statusBar()->addPermanentWidget(clockLabel_);
    addMenuItems();
    for (const char* name : {"Command1", "Command2"}) {
        auto* button = window_.findChild<QPushButton*>(QLatin1String(name));
        if (button)
            connect(button, &QPushButton::clicked, this, [this, button] { lastSearch_ = button; });
    }
    // One wake-up a second: the countdown shows whole seconds.
    timer_ = new QTimer(this);
    timer_->setTimerType(Qt::CoarseTimer);
    connect(timer_, &QTimer::timeout, this, &LiveView::tick);
    timer_->start(1000);
    showClock();
}

LiveView::~LiveView() {
    background_.cancel();
    otherGames_->cancel();
}

void LiveView::setClock(NowFunction now) {
    const auto timings = live_->plan().timings();
    live_ = std::make_unique<LiveService>(workspace_, std::move(now), timings);
    live_->takeNews();
    showClock();
}

void LiveView::addMenuItems() {
    if (auto* history = window_.findChild<QMenu*>(QStringLiteral("mnuLsgl"))) {
        history->addSeparator();
        autoUpdateItem_ = history->addAction(QStringLiteral("自动更新(&A)"));
        autoUpdateItem_->setObjectName(QStringLiteral("mnuAutoUpdate"));
        autoUpdateItem_->setCheckable(true);
        autoUpdateItem_->setChecked(workspace_.settings().autoUpdate);
        connect(autoUpdateItem_, &QAction::toggled, this, &LiveView::onAutoUpdateToggled);
        auto* logItem = history->addAction(QStringLiteral("自动更新记录(&L)"));
        logItem->setObjectName(QStringLiteral("mnuAutoUpdateLog"));
        connect(logItem, &QAction::triggered, this, &LiveView::onLogClicked);
        auto* alertsItem = history->addAction(QStringLiteral("遗漏提醒(&T)"));
        alertsItem->setObjectName(QStringLiteral("mnuAlerts"));
        connect(alertsItem, &QAction::triggered, this, &LiveView::onAlertsClicked);
    }
    if (auto* settings = window_.findChild<QMenu*>(QStringLiteral("mnuSetup"))) {
        auto* times = new QAction(QStringLiteral("开奖时间(&T)"), settings);
        times->setObjectName(QStringLiteral("mnuDrawTimes"));
        // Beside the other settings of the update.
        QAction* site = window_.findChild<QAction*>(QStringLiteral("mnuUpdateSite"));
        const auto items = settings->actions();
        const auto at = site ? items.indexOf(site) : -1;
        if (at >= 0 && at + 1 < items.size())
            settings->insertAction(items[at + 1], times);
        else
            settings->addAction(times);
        connect(times, &QAction::triggered, this, &LiveView::onDrawTimesClicked);
    }
}

void LiveView::showClock() {
    if (!workspace_.databaseOpen()) {
        clockLabel_->clear();
        return;
    }
    clockLabel_->setText(text(live_->clock().text));
}

void LiveView::tick() {
    showClock();
    followNews();
    if (!workspace_.settings().autoUpdate || workspace_.settings().updateSite.empty()) return;
    tickOtherGames();
    if (background_.running() || !workspace_.databaseOpen()) return;
    const UpdateStep step = live_->updateStep();
    if (step.kind == UpdateStep::Kind::Run) {
        startUpdate(step.period);
    } else if (step.kind == UpdateStep::Kind::GiveUp) {
        const history::Game game = workspace_.settings().game;
        const std::string said =
            "第" + history::gridPeriodText(step.period, game) + "期的开奖号码" +
            std::to_string(live_->plan().timings().giveUp.count() / 60) +
            "分钟内没有取到，下次在 " + logTime(step.at).substr(11, 5) + " 再试";
        notices_.post(NoticeKind::UpdateProblem, said, step.period);
        currentState_ = {HallUpdateState::Kind::Failed, said};
    }
}

void LiveView::tickOtherGames() {
    for (const auto& event : otherGames_->tick(workspace_.settings().game)) onOtherGameEvent(event);
}

void LiveView::onOtherGameEvent(const GameUpdateEvent& event) {
    const std::string game = history::gameName(event.game) + "：";
    const std::string period = history::gridPeriodText(event.period, event.game);
    switch (event.kind) {
    case GameUpdateEvent::Kind::Started:
        addLog(game + "开始在线更新（等待第" + period + "期）");
        break;
    case GameUpdateEvent::Kind::GaveUp:
        addLog(game + "第" + period + "期的开奖号码" +
               std::to_string(otherGames_->timings().giveUp.count() / 60) +
               "分钟内没有取到，下次在 " + logTime(event.at).substr(11, 5) + " 再试");
        break;
    case GameUpdateEvent::Kind::Finished: {
        std::string line = event.outcome.message;
        if (const auto cut = line.find('\n'); cut != std::string::npos) line.resize(cut);
        addLog(game + line);
        for (const auto& differing : event.outcome.differing) addLog(game + differing);
        break;
    }
    }
}

HallUpdateState LiveView::updateState(history::Game game) const {
    if (!workspace_.settings().autoUpdate || workspace_.settings().updateSite.empty()) return {};
    if (game != workspace_.settings().game) return otherGames_->state(game);
    if (background_.running()) return {HallUpdateState::Kind::Fetching, {}};
    if (currentState_.kind == HallUpdateState::Kind::Off)
        return {HallUpdateState::Kind::Waiting, {}};
    return currentState_;
}

void LiveView::startUpdate(int period) {
    live_->plan().attempted(live_->now(), period);
    chasedPeriod_ = period;
    currentState_ = {HallUpdateState::Kind::Fetching, {}};
    WorkspaceOptions options = workspace_.options();
    options.game = workspace_.settings().game;
    const history::Date today = workspace_.today();
    options.today = [today] { return today; };
    const bool started = background_.start(std::move(options), [this] {
        QMetaObject::invokeMethod(this, &LiveView::onUpdateFinished, Qt::QueuedConnection);
    });
    if (started)
        addLog("开始在线更新（等待第" +
               history::gridPeriodText(period, workspace_.settings().game) + "期）");
}

void LiveView::onUpdateFinished() {
    const auto outcome = background_.take();
    if (!outcome) return;
    // What the update stored is shown at once, as another writer's change would be.
    if (!windowBusy() && workspace_.followOutsideChanges()) window_.refreshAfterHistoryChange();
    std::string line = outcome->message;
    if (const auto cut = line.find('\n'); cut != std::string::npos) line.resize(cut);
    addLog(line);
    for (const auto& differing : outcome->differing) addLog(differing);
    const bool missed = !outcome->complete && live_->newestStored() < chasedPeriod_;
    currentState_ = missed ? HallUpdateState{HallUpdateState::Kind::Failed, line}
                           : HallUpdateState{HallUpdateState::Kind::Waiting, {}};
    if (!outcome->complete && live_->newestStored() < chasedPeriod_) {
        // Told once; the retries that fail alike are in the log only.
        const std::string said =
            "自动更新：第" + history::gridPeriodText(chasedPeriod_, workspace_.settings().game) +
            "期还没有取到，稍后再试（" + line + "）";
        if (line != failureTold_) notices_.post(NoticeKind::UpdateProblem, said, chasedPeriod_);
        failureTold_ = line;
    } else {
        failureTold_.clear();
    }
    followNews();
}

void LiveView::followNews() {
    // A dialog may be in the middle of an operation; the news waits for it.
    if (windowBusy()) return;
    // The search runs again on the file as it is now, not on a history another writer has
    // changed since.
    if (workspace_.followOutsideChanges()) window_.refreshAfterHistoryChange();
    const LiveNews news = live_->takeNews();
    if (news.draws.empty()) return;
    // The search first: its own status line gives way to the notices.
    if (lastSearch_ && workspace_.settings().autoSearch)
        lastSearch_->click();
    else
        window_.markResultsStale();
    // Each draw, then the alerts it set off; a long catch-up (a history imported) as one notice.
    size_t alert = 0;
    const size_t count = news.draws.size();
    if (count > kDrawsToldOneByOne) {
        const history::Game game = workspace_.settings().game;
        notices_.post(NoticeKind::Draw,
                      history::gameName(game) + " 新存入" + std::to_string(count) + "期：第" +
                          history::gridPeriodText(news.draws.front().period, game) + "期至第" +
                          history::gridPeriodText(news.draws.back().period, game) + "期",
                      news.draws.back().period);
    }
    for (size_t d = 0; d < count; ++d) {
        const int period = news.draws[d].period;
        if (count <= kDrawsToldOneByOne) notices_.post(NoticeKind::Draw, news.notices[d], period);
        for (; alert < news.alerts.size() && news.alerts[alert].period <= period; ++alert)
            notices_.post(NoticeKind::Alert, news.alertNotices[alert], news.alerts[alert].period);
    }
}

void LiveView::addLog(const std::string& line) {
    log_.add(logTime(live_->now()), line);
}

void LiveView::onAutoUpdateToggled(bool on) {
    if (on && workspace_.settings().updateSite.empty()) {
        // The first time: the site, as the update asks for it.
        if (auto* site = window_.findChild<QAction*>(QStringLiteral("mnuUpdateSite")))
            site->trigger();
        if (workspace_.settings().updateSite.empty()) {
            const QSignalBlocker quiet(autoUpdateItem_);
            autoUpdateItem_->setChecked(false);
            return;
        }
    }
    workspace_.setSetting("AutoUpdate", on ? "True" : "False");
    window_.reportSettingsProblem();
    addLog(on ? "自动更新已打开" : "自动更新已关闭");
    if (!on) {
        background_.cancel();
        otherGames_->cancel();
    }
    window_.statusBar()->showMessage(on ? QStringLiteral("自动更新已打开：每期开奖后自动在线更新")
                                        : QStringLiteral("自动更新已关闭"),
                                     8000);
    if (on) tick();
}

void LiveView::onLogClicked() {
    auto* dialog = new QDialog(&window_);
    dialog->setObjectName(QStringLiteral("autoUpdateLog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("自动更新记录"));
    auto* lines = new QPlainTextEdit(dialog);
    lines->setReadOnly(true);
    QStringList all;
    for (const auto& line : log_.lines()) all << text(line);
    lines->setPlainText(all.join(u'\n'));
    auto* where = new QLabel(QStringLiteral("记录文件：%1").arg(text(log_.path())), dialog);
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(lines);
    layout->addWidget(where);
    dialog->resize(640, 400);
    dialog->show();
    lines->moveCursor(QTextCursor::End);
}

void LiveView::onDrawTimesClicked() {
    const history::Game game = workspace_.settings().game;
    const QString title = QStringLiteral("开奖时间");
    const QString name = text(history::gameName(game));
    history::DrawSchedule schedule = history::games()->schedule(game);
    const auto first = prompter_.askText(
        title, QStringLiteral("%1第01期的开奖时间（北京时间，HH:MM）：").arg(name),
        text(history::clockTimeText(schedule.firstMinute)));
    if (!first || first->trimmed().isEmpty()) return;
    const auto every = prompter_.askText(title, QStringLiteral("%1每期间隔的分钟数：").arg(name),
                                         QString::number(schedule.everyMinutes));
    if (!every || every->trimmed().isEmpty()) return;
    const auto draws = prompter_.askText(title, QStringLiteral("%1每天的期数：").arg(name),
                                         QString::number(schedule.drawsPerDay));
    if (!draws || draws->trimmed().isEmpty()) return;
    const auto minute = history::parseClockTime(first->trimmed().toStdString());
    bool everyRead = false, drawsRead = false;
    schedule.everyMinutes = every->trimmed().toInt(&everyRead);
    schedule.drawsPerDay = draws->trimmed().toInt(&drawsRead);
    if (!minute || !everyRead || !drawsRead) {
        prompter_.warn(title, QStringLiteral("开奖时间要写成 HH:MM，间隔和期数要写整数。\n"
                                             "开奖时间没有改变。"));
        return;
    }
    schedule.firstMinute = *minute;
    const Outcome saved = GameService(workspace_).setSchedule(game, schedule);
    if (!saved.ok) {
        prompter_.warn(title, text(saved.message));
        return;
    }
    window_.reportSettingsProblem();
    showClock();
}

void LiveView::onAlertsClicked() {
    AlertsDialog dialog(*live_, &notices_, &window_);
    dialog.exec();
}

} // namespace app::gui
