#pragma once
// The automatic update of every followed game at once: each game has its own plan (a while after
// each of its due draws, retries, a give-up) and its own update on a thread of its own, so a game
// whose site is slow or failing delays no other, and nothing waits in the caller. Called once a
// second (the window's clock, the watch mode); what happened since is handed back as events.

#include "workspace/background_update.h"
#include "workspace/hall_service.h"
#include "workspace/update_plan.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace app {

struct GameUpdateEvent {
    enum class Kind {
        Started,  // an update of the game began, for `period`
        Finished, // it ended: outcome says how
        GaveUp,   // `period` could not be had in time; the next try is at `at`
    };
    Kind kind = Kind::Started;
    history::Game game = history::Game::Jiangxi;
    int period = 0;
    SystemTime at;
    BackgroundOutcome outcome;
};

class GamesUpdate {
  public:
    // The games are those followed by the workspace's settings, read again at each tick.
    explicit GamesUpdate(Workspace& workspace, NowFunction now = {}, UpdateTimings timings = {});
    ~GamesUpdate();
    GamesUpdate(const GamesUpdate&) = delete;
    GamesUpdate& operator=(const GamesUpdate&) = delete;

    // Tests: each game's results site (else the UpdateSite setting).
    void setSiteOf(std::function<std::string(history::Game)> siteOf) {
        siteOf_ = std::move(siteOf);
    }
    // Tests: the day the updates take as today (else the Beijing day at each start).
    void setToday(std::function<history::Date()> today) { today_ = std::move(today); }

    // Starts the updates that are due and collects those that ended. Never waits for one. A game
    // without a history is left alone (the player starts it), and so is `skipped` (the window's
    // current game, which its own update keeps).
    std::vector<GameUpdateEvent> tick(std::optional<history::Game> skipped = std::nullopt);
    // The state of a game's update, for the hall.
    HallUpdateState state(history::Game game) const;
    bool running(history::Game game) const;
    bool anyRunning() const;
    const UpdateTimings& timings() const { return timings_; }
    // Asks every running update to stop (a store under way finishes first).
    void cancel();
    // Waits for the running updates to end (tests, the end of the watch).
    void wait();

  private:
    struct PerGame {
        explicit PerGame(UpdateTimings timings) : plan(timings) {}
        UpdatePlan plan;
        std::unique_ptr<BackgroundUpdate> update = std::make_unique<BackgroundUpdate>();
        HallUpdateState state;
        int chased = 0;
        std::string stamp; // the history file's stamp when newest was read
        int newest = 0;
    };
    PerGame& of(history::Game game);
    int newestStored(history::Game game, PerGame& per);

    Workspace& workspace_;
    NowFunction now_;
    UpdateTimings timings_;
    HallService hall_;
    std::function<std::string(history::Game)> siteOf_;
    std::function<history::Date()> today_;
    std::map<int, std::unique_ptr<PerGame>> games_;
};

} // namespace app
