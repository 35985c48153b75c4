#pragma once
// The online update run on a thread of its own, with a workspace of its own on the same data
// folder: to the window it is as another process, under the same write lock, so typing and
// other work go on meanwhile and the window follows what it stored as it follows any writer.

#include "workspace/update_service.h"
#include "workspace/workspace.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <QThread>

namespace app {

struct BackgroundOutcome {
    bool complete = false; // every day was read
    size_t stored = 0;
    std::string message; // what the update said
    // Stored draws the site gives otherwise, each told once (the update leaves them as they are).
    std::vector<std::string> differing;
};

class BackgroundUpdate {
  public:
    BackgroundUpdate() = default;
    // Asks a running update to stop and waits for it (a store under way finishes first).
    ~BackgroundUpdate();
    BackgroundUpdate(const BackgroundUpdate&) = delete;
    BackgroundUpdate& operator=(const BackgroundUpdate&) = delete;

    // Starts the update of the game the options name (options.game) on a workspace with these
    // options; finished runs on the update's thread when it is done. False while one still runs.
    bool start(WorkspaceOptions options, std::function<void()> finished = {});
    bool running() const { return running_; }
    // The results site of the updates from now on instead of the UpdateSite setting (empty: the
    // setting); not saved.
    void setSite(std::string site) { site_ = std::move(site); }
    // The outcome of the update that finished, once.
    std::optional<BackgroundOutcome> take();
    void cancel() { cancel_ = true; }

  private:
    void wait();

    std::unique_ptr<QThread> thread_;
    // Used by one update thread at a time.
    std::unique_ptr<Workspace> workspace_;
    std::atomic<bool> running_{false};
    std::atomic<bool> cancel_{false};
    std::mutex mutex_;
    std::optional<BackgroundOutcome> outcome_;
    // The differing draws told already (used by the update thread only).
    std::set<std::string> differingTold_;
    std::string site_;
};

} // namespace app
