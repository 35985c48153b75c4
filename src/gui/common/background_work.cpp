#include "gui/common/background_work.h"

#include <QApplication>
#include <QEventLoop>
#include <QMainWindow>
#include <QProgressDialog>
#include <QTimer>

#include <algorithm>
#include <climits>
#include <exception>
#include <thread>
#include <utility>
#include <vector>

namespace app::gui {

namespace {

BackgroundWork* running = nullptr;

// How often the window shows the work's progress, and how long the work runs before its
// progress dialog appears (short work shows none).
constexpr int kShowEveryMs = 50;
constexpr int kDialogAfterMs = 300;

} // namespace

// The work's progress as the window's thread reads it.
class BackgroundWork::Counter : public history::Progress {
  public:
    explicit Counter(const std::atomic<bool>& cancelled) : cancelled_(cancelled) {}
    void setTotal(std::size_t total) override {
        done_ = 0;
        total_ = total;
    }
    bool advance(std::size_t done) override {
        done_ = done;
        return !cancelled_;
    }
    std::size_t done() const { return done_; }
    std::size_t total() const { return total_; }

  private:
    const std::atomic<bool>& cancelled_;
    std::atomic<std::size_t> done_{0};
    std::atomic<std::size_t> total_{0};
};

BackgroundWork::BackgroundWork(QString what) : what_(std::move(what)) {}

BackgroundWork::~BackgroundWork() {
    if (running == this) running = outer_;
}

BackgroundWork* BackgroundWork::current() {
    return running;
}

void BackgroundWork::closeWhenDone(QWidget* window) {
    closeWhenDone_ = window;
    cancel();
}

void BackgroundWork::run(const Job& job, const Show& show) {
    outer_ = running;
    running = this;
    Counter counter(cancelled_);
    std::exception_ptr failure;
    QEventLoop loop;
    QTimer ticker;
    ticker.setInterval(kShowEveryMs);
    QObject::connect(&ticker, &QTimer::timeout, &loop,
                     [&] { show(counter.done(), counter.total()); });
    ticker.start();
    std::atomic<bool> ended{false};
    std::thread worker([&] {
        try {
            job(counter);
        } catch (...) {
            failure = std::current_exception();
        }
        ended = true;
        // Queued: taken by the loop below even when the job ended before it started.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    while (!ended) {
        loop.exec();
        // The application is quitting: the work stops, and the window waits for it.
        if (!ended) cancel();
    }
    worker.join();
    ticker.stop();
    show(counter.done(), counter.total());
    running = outer_;
    if (closeWhenDone_) QTimer::singleShot(0, closeWhenDone_.data(), &QWidget::close);
    if (failure) std::rethrow_exception(failure);
}

bool windowBusy() {
    return QApplication::activeModalWidget() || BackgroundWork::current();
}

bool runWithProgress(QWidget* parent, const QString& what, const QString& label,
                     const BackgroundWork::Job& job) {
    QWidget* window = parent->window();
    // What could start other work or change what this work reads waits until it has ended.
    std::vector<QPointer<QWidget>> disabled;
    if (auto* main = qobject_cast<QMainWindow*>(window))
        for (QWidget* part : {main->centralWidget(), main->menuWidget()})
            if (part && part->isEnabled()) {
                part->setEnabled(false);
                disabled.emplace_back(part);
            }
    QProgressDialog dialog(label, QStringLiteral("取消"), 0, 0, window);
    dialog.setObjectName(QStringLiteral("workProgress"));
    dialog.setWindowTitle(QStringLiteral("请稍候"));
    dialog.setAutoReset(false);
    dialog.setAutoClose(false);
    dialog.setMinimumDuration(kDialogAfterMs);
    BackgroundWork work(what);
    QObject::connect(&dialog, &QProgressDialog::canceled, &dialog, [&] {
        work.cancel();
        dialog.setLabelText(QStringLiteral("正在取消……"));
    });
    try {
        work.run(job, [&](std::size_t done, std::size_t total) {
            const int maximum = static_cast<int>(std::min<std::size_t>(total, INT_MAX));
            if (dialog.maximum() != maximum) dialog.setMaximum(maximum);
            dialog.setValue(
                std::min(static_cast<int>(std::min<std::size_t>(done, INT_MAX)), maximum));
        });
    } catch (...) {
        for (const auto& part : disabled)
            if (part) part->setEnabled(true);
        throw;
    }
    for (const auto& part : disabled)
        if (part) part->setEnabled(true);
    return !work.cancelled();
}

} // namespace app::gui
