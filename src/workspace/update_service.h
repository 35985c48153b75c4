#pragma once
// The online update as the window and the command line run it: every day from the newest stored
// draw up to today is fetched from the results site and the new sound draws are stored, in one
// transaction. Only an update told to prune (one the player asked for) also removes the draws
// older than the kept days, and fetches from the first kept day. Pages are fetched
// before the history is locked, what is new is decided once it is locked; a day that cannot be
// read, or a cancel, ends the update there, and the days read completely before are stored.
// Reading a day and the whole update have time limits.

#include "history/online_update.h"
#include "history/page_draws.h"
#include "workspace/workspace.h"

#include <chrono>
#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace app {

struct UpdateResult {
    Outcome outcome;
    bool cancelled = false;
    bool changed = false;
    size_t stored = 0;
    size_t filled = 0; // of the stored: draws missing before within a day
    size_t removed = 0;
    // Periods of the days read that are not stored because their page did not list them:
    // before its first draw, between its draws, after its last on a day that is over.
    std::vector<int> unlisted;
    // The days read that had no draws (holidays), "YYYY-MM-DD": later updates pass them.
    std::vector<std::string> daysWithoutDraws;
    std::vector<history::SkippedDraw> skipped;
    std::string stoppedDay; // the day that could not be read; empty when every day was
    std::string stopReason;
    std::string removedFile; // where the removed draws were saved
    // Stored draws the site lists with other numbers: told, left as they are.
    std::vector<history::DifferingDraw> differing;
    // The stopped day's site gave no answer at all: its address may be wrong.
    bool siteUnreachable = false;

    // Every day of the window was read (and stored).
    bool complete() const { return outcome.ok && !cancelled && stoppedDay.empty(); }
};

class UpdateProgress {
  public:
    virtual ~UpdateProgress() = default;
    // The day now fetched, the index-th of count.
    virtual void fetching(const std::string& day, size_t index, size_t count) = 0;
    // True when the user wants to stop; asked often while a page comes in.
    virtual bool cancelled() = 0;
};

class QuietUpdate : public UpdateProgress {
  public:
    void fetching(const std::string&, size_t, size_t) override {}
    bool cancelled() override { return false; }
};

class UpdateService {
  public:
    explicit UpdateService(Workspace& workspace) : workspace_(workspace) {}

    // Whether the update removes the draws older than the kept days (IniSerchDay; 0 keeps them
    // all): only when the player asked for it. Without it the update only adds.
    void setPrunes(bool prunes) { prunes_ = prunes; }

    // The days an update now fetches, oldest first.
    std::vector<history::Date> days() const;
    // How many stored draws a pruning update now removes (dated before today minus the kept
    // days; none when every draw is kept).
    size_t drawsToRemove() const;
    // The address of a day's page on the site.
    std::string pageAddress(history::Date day) const;

    UpdateResult update(UpdateProgress& progress);

    // Takes the site's numbers for the given stored draws (an update's `differing`), in one
    // transaction, after saving the draws replaced as text in 历史号码. Refused, nothing changed,
    // when one of them no longer holds the numbers it held.
    Outcome takeSiteDraws(const std::vector<history::DifferingDraw>& draws);
    // "第2016090603期：历史号码中是 01 02 03 04 05，网站上是 01 02 03 04 06".
    static std::string differingText(const history::DifferingDraw& draw, history::Game game);

    // How often a day's page is read again when its table has no rows at all, or when it lists
    // no draw (a heading alone, or nothing readable).
    static constexpr int kRestarts = 2;
    // How often the days are fetched again when another process changed the history meanwhile
    // so that it needs days not read yet.
    static constexpr int kRounds = 3;
    // How many text copies of removed draws 历史号码 keeps.
    static constexpr size_t kKeptFiles = 10;
    // The days the first update of an empty history reads back when every draw is kept.
    static constexpr int kFirstDaysKeepingAll = 16;

  private:
    using Clock = std::chrono::steady_clock;
    // One day's page read whole: the rows of its "draw_list" table, or the draws found in a
    // layout of its own, or why not.
    struct DayReading {
        bool cancelled = false;
        std::string problem;
        bool unreachable = false; // the site gave no answer at all
        bool missing = false;     // the site has no page for the day (HTTP 404 or 410)
        std::optional<std::vector<std::vector<std::string>>> rows;
        std::optional<history::PageDraws> page;
        // The page lists nothing, without a heading that says it is a results list: a day
        // without draws only when the other days tell so; else why it cannot be read.
        std::string emptyList;
    };
    DayReading readDay(history::Date day, Clock::time_point updateEnd,
                       UpdateProgress& progress) const;
    // Under the write lock: stores the found draws newer than the newest stored one (and before
    // the day that could not be read) and removes the draws older than the kept days.
    UpdateResult store(UpdateResult result, const std::map<int, history::ListedDraw>& found,
                       const std::set<int>& daysRead, std::optional<int> stoppedAt,
                       const std::set<int>& withoutDraws);

    // The update removes old draws now: it was asked to and the setting keeps days.
    bool prunesNow() const;

    Workspace& workspace_;
    bool prunes_ = false;
};

} // namespace app
