#include "workspace/background_update.h"

#include <QThread>

#include <stdexcept>

namespace app {

namespace {

class CancelFlag : public UpdateProgress {
  public:
    explicit CancelFlag(const std::atomic<bool>& flag) : flag_(flag) {}
    void fetching(const std::string&, size_t, size_t) override {}
    bool cancelled() override { return flag_; }

  private:
    const std::atomic<bool>& flag_;
};

} // namespace

BackgroundUpdate::~BackgroundUpdate() {
    cancel_ = true;
    wait();
}

void BackgroundUpdate::wait() {
    if (thread_) {
        thread_->wait();
        thread_.reset();
    }
}

bool BackgroundUpdate::start(WorkspaceOptions options, std::function<void()> finished) {
    if (running_ || !options.game) return false;
    wait();
    running_ = true;
    cancel_ = false;
    // The update reads the search columns of no search.
    options.readSearchColumnsAhead = false;
    thread_.reset(QThread::create([this, options = std::move(options), finished,
                                   site = site_]() mutable {
        BackgroundOutcome outcome;
        try {
            // One workspace for the updates of a game: it follows the file and the settings as
            // they change, and its history is not read whole for every try.
            if (!workspace_ || workspace_->settings().game != *options.game) {
                workspace_.reset();
                workspace_ = std::make_unique<Workspace>(options);
            } else {
                workspace_->rereadSettings();
                if (options.today) workspace_->setToday(options.today());
            }
            if (!site.empty()) {
                workspace_->settingsFile().setPersistent(false);
                if (auto set = workspace_->setSetting("UpdateSite", site); !set.ok)
                    throw std::runtime_error(set.message);
            }
            CancelFlag progress(cancel_);
            // Nobody is asked here: the automatic update only adds draws, it never prunes.
            const UpdateResult result = UpdateService(*workspace_).update(progress);
            outcome.complete = result.complete();
            outcome.stored = result.stored;
            outcome.message = result.outcome.message;
            for (const auto& draw : result.differing) {
                std::string line = UpdateService::differingText(draw, workspace_->settings().game) +
                                   "（没有改动；在窗口中在线更新时可以改成网站上的号码）";
                if (differingTold_.insert(line).second) outcome.differing.push_back(line);
            }
        } catch (const std::exception& e) {
            outcome.message = std::string("自动更新出错：") + e.what();
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            outcome_ = std::move(outcome);
        }
        running_ = false;
        if (finished) finished();
    }));
    thread_->start();
    return true;
}

std::optional<BackgroundOutcome> BackgroundUpdate::take() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(outcome_, std::nullopt);
}

} // namespace app
