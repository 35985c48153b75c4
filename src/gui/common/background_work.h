#pragma once
// Long work (a back-test, random runs, a covering search) on a thread of its own, so that the
// window keeps repainting, its timers keep running and a click on 取消 or on the window's close
// button is taken at once. The window's thread waits in an event loop until the work has ended;
// what the work reads must not change meanwhile, so the window's pages and menus are disabled
// (or a modal dialog stands over them) and the window follows no outside change while
// windowBusy() says so.

#include "history/progress.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <atomic>
#include <cstddef>
#include <functional>

namespace app::gui {

class BackgroundWork {
  public:
    using Job = std::function<void(history::Progress&)>;
    // Called on the window's thread as the work advances (total 0: not known yet).
    using Show = std::function<void(std::size_t done, std::size_t total)>;

    // `what` names the work for the question asked when the window is closed ("回测投注").
    explicit BackgroundWork(QString what);
    ~BackgroundWork();
    BackgroundWork(const BackgroundWork&) = delete;
    BackgroundWork& operator=(const BackgroundWork&) = delete;

    // Runs the job and returns once it has ended; an exception it threw is thrown here.
    void run(const Job& job, const Show& show);

    // The work is told to stop at its next step.
    void cancel() { cancelled_ = true; }
    bool cancelled() const { return cancelled_; }
    // Once the work has ended the window is closed (the user closed it meanwhile).
    void closeWhenDone(QWidget* window);
    const QString& what() const { return what_; }

    // The work running now, or none.
    static BackgroundWork* current();

  private:
    class Counter;

    QString what_;
    std::atomic<bool> cancelled_{false};
    QPointer<QWidget> closeWhenDone_;
    BackgroundWork* outer_ = nullptr;
};

// True while a modal dialog or background work is up: the window then takes in no change of the
// stored draws or of the settings that other programs made (they wait until it is over).
bool windowBusy();

// Runs the job with a progress dialog over `parent` (shown once the work takes a moment) whose
// 取消 stops it, the window's pages and menus disabled meanwhile; false when it was cancelled.
bool runWithProgress(QWidget* parent, const QString& what, const QString& label,
                     const BackgroundWork::Job& job);

} // namespace app::gui
