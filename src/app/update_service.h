#pragma once
// The online update as the window and the command line run it: every day from the newest stored
// draw (or the kept days) up to today is fetched from the results site, the new sound draws are
// stored and the draws older than the kept days removed, in one transaction. Pages are fetched
// before the history is locked; a day that cannot be read, or a cancel, ends the update there,
// and the days read completely before are stored.

#include "app/workspace.h"
#include "history/online_update.h"

#include <cstddef>
#include <string>
#include <vector>

namespace app {

struct UpdateResult {
    Outcome outcome;
    bool cancelled = false;
    bool changed = false;
    size_t stored = 0;
    size_t removed = 0;
    std::vector<history::SkippedDraw> skipped;
    std::string stoppedDay; // the day that could not be read; empty when every day was
    std::string stopReason;
    std::string removedFile; // where the removed draws were saved
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

    // The days an update now fetches, oldest first.
    std::vector<history::Date> days() const;
    // How many stored draws an update now removes (dated before today minus the kept days).
    size_t drawsToRemove() const;
    // The address of a day's page on the site.
    std::string pageAddress(history::Date day) const;

    UpdateResult update(UpdateProgress& progress);

    // How often a pass starts again when a page's table has no rows at all.
    static constexpr int kRestarts = 2;
    // How many text copies of removed draws 历史号码 keeps.
    static constexpr size_t kKeptFiles = 10;

  private:
    Workspace& workspace_;
};

} // namespace app
