// The online update that keeps running: update --watch [--until HH:MM] [--poll S] [--site URL]
// [--today YYYY-MM-DD]. After each due draw (or every S seconds) the update runs; each draw it
// stores is printed as "stored <period> <numbers>", followed by the alerts it set off
// ("alert q1 07 current 33 at <period>"); it only adds, never removes a draw. It ends at
// --until (Beijing time) or on Ctrl+C / a termination request, after the store in progress, with
// status 0; with status 1 when what it prints can no longer be written (a closed pipe).

#include "cli/commands.h"
#include "cli/live_commands.h"
#include "history/game_record.h"
#include "history/period.h"
#include "workspace/games_update.h"
#include "workspace/hall_service.h"
#include "workspace/live_service.h"
#include "workspace/update_service.h"

#include <algorithm>
#include <csignal>
#include <map>
#include <ostream>
#include <set>
#include <thread>

#include <signal.h>

namespace app {

namespace {

volatile std::sig_atomic_t watchStopAsked = 0;

void askWatchToStop(int) {
    watchStopAsked = 1;
}

// Ctrl+C and SIGTERM set the flag for as long as the watch runs. A fetch under way is given up
// at once (nothing of it is stored); a store under way is one transaction and finishes first.
class WatchSignals : public UpdateProgress {
  public:
    WatchSignals() {
        watchStopAsked = 0;
        struct sigaction action {};
        action.sa_handler = askWatchToStop;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &oldInterrupt_);
        sigaction(SIGTERM, &action, &oldTerminate_);
    }
    ~WatchSignals() override {
        sigaction(SIGINT, &oldInterrupt_, nullptr);
        sigaction(SIGTERM, &oldTerminate_, nullptr);
    }
    WatchSignals(const WatchSignals&) = delete;
    WatchSignals& operator=(const WatchSignals&) = delete;
    void fetching(const std::string&, size_t, size_t) override {}
    bool cancelled() override { return watchStopAsked != 0; }

  private:
    struct sigaction oldInterrupt_ {};
    struct sigaction oldTerminate_ {};
};

struct WatchOptions {
    std::optional<std::chrono::seconds> poll;
    std::optional<SystemTime> until;
    bool todayGiven = false;
};

// The first moment from now whose Beijing time of day is the given minute.
SystemTime nextBeijingMinute(SystemTime now, int minute) {
    const SystemTime today = beijingMoment(beijingDay(now), minute);
    return today > now ? today : today + std::chrono::days(1);
}

WatchOptions readWatchOptions(CommandContext& c) {
    Workspace& w = c.workspace;
    WatchOptions options;
    for (const auto& [a, value] : c.given.options) {
        if (a == "--watch" || a == "--all") continue;
        if (a == "--prune")
            throw UsageError{"update --watch 只存入新的开奖号码，从不删除历史号码；"
                             "--prune 只用于一次 update"};
        if (a == "--site") {
            if (auto outcome = w.setSetting("UpdateSite", value); !outcome.ok)
                throw UsageError{outcome.message};
        } else if (a == "--today") {
            const auto day = history::parseIsoDay(value);
            if (!day.ok()) throw UsageError{"--today 后面要跟日期 年-月-日，不是“" + value + "”"};
            w.setToday(day);
            options.todayGiven = true;
        } else if (a == "--until") {
            const auto minute = history::parseClockTime(value);
            if (!minute) throw UsageError{"--until 后面要跟北京时间 时:分，不是“" + value + "”"};
            options.until = nextBeijingMinute(std::chrono::system_clock::now(), *minute);
        } else if (a == "--poll") {
            const bool digits = !value.empty() && value.size() <= 5 &&
                                std::all_of(value.begin(), value.end(),
                                            [](char ch) { return ch >= '0' && ch <= '9'; });
            if (!digits || std::stoi(value) < 1)
                throw UsageError{"--poll 后面要跟至少为1的整秒数，不是“" + value + "”"};
            options.poll = std::chrono::seconds(std::stoi(value));
        } else {
            throw UsageError{"没有这个选项：" + a};
        }
    }
    return options;
}

std::string drawLine(int period, const history::HistoryRow& row) {
    std::string line = "stored " + history::tenDigit(period);
    for (int i = 0; i < 5; ++i) {
        const int number = row.numbers()[static_cast<size_t>(i)];
        line += ' ';
        line += static_cast<char>('0' + number / 10);
        line += static_cast<char>('0' + number % 10);
    }
    return line;
}

// "alert q1 07 current 33 at 2025020961": the rule's play or kind, the selection, its omission
// and the draw after which it crossed.
std::string alertLine(const AlertRule& rule, const FiredAlert& fired) {
    std::string what = alertRuleText(rule);
    what = what.substr(0, what.find(' '));
    std::string selection = fired.selection.selection;
    for (char& ch : selection)
        if (ch == ' ') ch = ',';
    return "alert " + what + " " + selection + " current " +
           std::to_string(fired.selection.current) + " at " + history::tenDigit(fired.period);
}

// "stored 23 2016090802 01 02 03 04 05": a draw of any game.
std::string gameDrawLine(history::Game game, const history::HistoryRow& row) {
    return "stored " + std::to_string(static_cast<int>(game)) + drawLine(row.period, row).substr(6);
}

// update --watch --all: every followed game with a history, each on its own schedule and its own
// thread. Prints each game's new draws (stored by the watch or by anyone else) and the streak
// alerts they set off, with the game's code.
int watchAllGames(CommandContext& c, const WatchOptions& options) {
    Workspace& w = c.workspace;
    if (w.settings().updateSite.empty()) {
        c.err << "还没有设置开奖网站的地址：请用 --site 或 set UpdateSite 设置。\n";
        return kExitRefused;
    }
    WatchSignals stopSignals;
    HallService hall(w);
    GamesUpdate updates(w);
    // The site of this run goes to every game's update (the background ones read the settings).
    const std::string site = w.settings().updateSite;
    updates.setSiteOf([site](history::Game) { return site; });
    if (options.todayGiven) {
        const history::Date today = w.today();
        updates.setToday([today] { return today; });
    }
    std::map<int, HallRow> seen;
    std::map<int, std::string> stamps, lastProblem;
    for (const history::Game game : followedGames(w)) {
        stamps[int(game)] = hall.fileStamp(game);
        seen[int(game)] = hall.row(game);
    }
    while (!stopSignals.cancelled()) {
        if (options.until && std::chrono::system_clock::now() >= *options.until) break;
        for (const auto& event : updates.tick()) {
            const std::string game = history::gameName(event.game) + "：";
            if (event.kind == GameUpdateEvent::Kind::GaveUp) {
                c.err << game << "第" << history::gridPeriodText(event.period, event.game)
                      << "期没有取到，下次在 " << beijingIsoText(event.at) << " 再试\n";
            } else if (event.kind == GameUpdateEvent::Kind::Finished) {
                for (const auto& line : event.outcome.differing) c.err << game << line << "\n";
                const std::string problem =
                    event.outcome.complete ? std::string() : event.outcome.message;
                if (!problem.empty() && problem != lastProblem[int(event.game)])
                    c.err << game << problem << "\n";
                lastProblem[int(event.game)] = problem;
            }
        }
        // Each game's new draws, however they came.
        for (auto& [code, before] : seen) {
            const history::Game game{code};
            const std::string stamp = hall.fileStamp(game);
            if (stamp == stamps[code]) continue;
            stamps[code] = stamp;
            HallRow now = hall.row(game);
            if (before.newest > 0)
                for (const auto& row : hall.drawsAfter(game, before.newest))
                    c.out << gameDrawLine(game, row) << "\n";
            for (const auto& streak : newStreaks(before, now))
                c.out << "alert " << code << " streak:" << streak.kind << " " << streak.value
                      << " current " << streak.length << "\n";
            before = std::move(now);
        }
        if (!c.out.flush()) return kExitRefused;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    updates.cancel();
    return kExitOk;
}

} // namespace

int watchUpdates(CommandContext& c) {
    Workspace& w = c.workspace;
    w.settingsFile().setPersistent(false); // --site is for this run only
    const WatchOptions options = readWatchOptions(c);
    if (c.given.has("--all")) {
        if (options.poll)
            throw UsageError{"update --watch --all 按每个彩种的开奖时间更新，不能与 --poll 同用"};
        return watchAllGames(c, options);
    }
    if (w.settings().updateSite.empty()) {
        c.err << "还没有设置开奖网站的地址：请用 --site 或 set UpdateSite 设置。\n";
        return kExitRefused;
    }
    WatchSignals stopSignals;
    LiveService live(w);
    live.takeNews();
    std::string lastProblem;
    std::set<std::string> differingTold; // stored draws the site gives otherwise, told once each
    SystemTime nextPoll = live.now();
    while (!stopSignals.cancelled()) {
        const SystemTime now = live.now();
        if (options.until && now >= *options.until) break;
        bool run = false;
        if (options.poll) {
            run = now >= nextPoll;
        } else {
            const UpdateStep step = live.updateStep();
            if (step.kind == UpdateStep::Kind::GiveUp)
                c.err << "第" << history::gridPeriodText(step.period, w.settings().game)
                      << "期没有取到，下次在 " << beijingIsoText(step.at) << " 再试\n";
            if (step.kind == UpdateStep::Kind::Run) {
                live.plan().attempted(now, step.period);
                run = true;
            }
        }
        if (!run) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            continue;
        }
        if (options.poll) nextPoll = now + *options.poll;
        // Without --today the day is the Beijing day at each run.
        if (!options.todayGiven) w.setToday(beijingDay(now));
        const UpdateResult result = UpdateService(w).update(stopSignals);
        // The draws stored by this run, and those another process stored meanwhile, once each.
        const LiveNews news = live.takeNews();
        // Each draw, then the alerts it set off, naming it.
        auto fired = news.alerts.begin();
        for (const auto& row : news.draws) {
            c.out << drawLine(row.period, row) << "\n";
            for (; fired != news.alerts.end() && fired->period <= row.period; ++fired)
                c.out << alertLine(news.rules[fired->rule], *fired) << "\n";
        }
        // Nobody reads what the watch prints any more (a closed pipe, a full disk): it stops, and
        // the command line says why.
        if (!c.out.flush()) return kExitRefused;
        for (const auto& draw : result.differing) {
            const std::string line = UpdateService::differingText(draw, w.settings().game);
            if (differingTold.insert(line).second) c.err << line << "，没有改动\n";
        }
        const std::string problem =
            result.complete() || result.cancelled ? std::string() : result.outcome.message;
        if (!problem.empty() && problem != lastProblem) c.err << problem << "\n";
        lastProblem = problem;
    }
    return kExitOk;
}

} // namespace app
