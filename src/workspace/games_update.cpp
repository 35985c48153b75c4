#include "workspace/games_update.h"

#include <QThread>

namespace app {

GamesUpdate::GamesUpdate(Workspace& workspace, NowFunction now, UpdateTimings timings)
    : workspace_(workspace),
      now_(now ? std::move(now) : [] { return std::chrono::system_clock::now(); }),
      timings_(timings), hall_(workspace, now_) {}

GamesUpdate::~GamesUpdate() {
    cancel();
    wait();
}

GamesUpdate::PerGame& GamesUpdate::of(history::Game game) {
    auto& per = games_[static_cast<int>(game)];
    if (!per) per = std::make_unique<PerGame>(timings_);
    return *per;
}

int GamesUpdate::newestStored(history::Game game, PerGame& per) {
    // The file is read again only when it changed.
    const std::string stamp = hall_.fileStamp(game);
    if (stamp != per.stamp) {
        per.newest = hall_.newestStored(game);
        per.stamp = stamp;
    }
    return per.newest;
}

std::vector<GameUpdateEvent> GamesUpdate::tick(std::optional<history::Game> skipped) {
    std::vector<GameUpdateEvent> events;
    const SystemTime now = now_();
    const bool on = !workspace_.settings().updateSite.empty() || siteOf_;
    for (const history::Game game : followedGames(workspace_)) {
        PerGame& per = of(game);
        if (auto outcome = per.update->take()) {
            per.stamp.clear(); // what it stored is read at once
            per.state = outcome->complete || newestStored(game, per) >= per.chased
                            ? HallUpdateState{HallUpdateState::Kind::Waiting, {}}
                            : HallUpdateState{HallUpdateState::Kind::Failed, outcome->message};
            events.push_back(
                {GameUpdateEvent::Kind::Finished, game, per.chased, now, std::move(*outcome)});
        }
        if (!on || per.update->running() || game == skipped) continue;
        const int newest = newestStored(game, per);
        if (newest == 0) {
            per.state = {HallUpdateState::Kind::Off, "没有历史号码"};
            continue;
        }
        const UpdateStep step = per.plan.step(
            now, readClock(now, game, workspace_.settings().schedule(game), newest), newest);
        if (step.kind == UpdateStep::Kind::GiveUp) {
            per.state = {HallUpdateState::Kind::Failed,
                         "第" + history::gridPeriodText(step.period, game) + "期没有取到，下次在 " +
                             beijingIsoText(step.at).substr(11, 5) + " 再试"};
            events.push_back({GameUpdateEvent::Kind::GaveUp, game, step.period, step.at, {}});
            continue;
        }
        if (step.kind != UpdateStep::Kind::Run) {
            if (per.state.kind == HallUpdateState::Kind::Off)
                per.state = {HallUpdateState::Kind::Waiting, {}};
            continue;
        }
        per.plan.attempted(now, step.period);
        per.chased = step.period;
        WorkspaceOptions options = workspace_.options();
        options.game = game;
        const history::Date today = today_ ? today_() : beijingDay(now);
        options.today = [today] { return today; };
        per.update->setSite(siteOf_ ? siteOf_(game) : std::string());
        if (per.update->start(std::move(options))) {
            per.state = {HallUpdateState::Kind::Fetching, {}};
            events.push_back({GameUpdateEvent::Kind::Started, game, step.period, now, {}});
        }
    }
    return events;
}

HallUpdateState GamesUpdate::state(history::Game game) const {
    const auto found = games_.find(static_cast<int>(game));
    return found == games_.end() ? HallUpdateState{} : found->second->state;
}

bool GamesUpdate::running(history::Game game) const {
    const auto found = games_.find(static_cast<int>(game));
    return found != games_.end() && found->second->update->running();
}

bool GamesUpdate::anyRunning() const {
    for (const auto& [code, per] : games_)
        if (per->update->running()) return true;
    return false;
}

void GamesUpdate::cancel() {
    for (auto& [code, per] : games_) per->update->cancel();
}

void GamesUpdate::wait() {
    for (auto& [code, per] : games_)
        while (per->update->running()) QThread::msleep(20);
}

} // namespace app
