#pragma once
// The notices in the window. A button in the status bar, "通知 3" while three are unread, opens
// the list of every notice (newest first, the unread ones in bold). The status bar shows each
// notice for at least a few seconds before the next takes its place; when more wait, those before
// the newest are shown as one line of what they come to, then the newest. Notices posted together
// go to the desktop as one notification ("3期新号码，4条提醒"), where the desktop has them.

#include "workspace/notices.h"

#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QString>

#include <deque>
#include <functional>
#include <vector>

class QDialog;
class QListWidget;
class QStatusBar;
class QTimer;

namespace app::gui {

class DesktopNotifier;

// "02-09 19:11:00": when a notice was posted, in Beijing time.
QString noticeTime(const Notice& notice);

// The status bar's 通知: a line of text like the clock beside it (so the status bar keeps its
// height), clicked as a button.
class NoticeButton : public QLabel {
    Q_OBJECT
  public:
    explicit NoticeButton(QWidget* parent);
  signals:
    void clicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

class NoticeView : public QObject {
    Q_OBJECT
  public:
    NoticeView(Notices& notices, QStatusBar& statusBar, QObject* parent);

    // Tests: the desktop's notifications replaced (title, body), and a shorter time each notice
    // keeps the status bar.
    using DesktopSink = std::function<bool(const QString& title, const QString& body)>;
    void setDesktopSink(DesktopSink sink) { desktop_ = std::move(sink); }
    void setMinimumShowTime(int ms) { minimumShowMs_ = ms; }

    // Opens the list (and marks every notice read).
    void openList();

  private:
    void onPosted(const Notice* posted);
    // The notices posted since the last turn of the event loop: to the status bar's queue and,
    // as one notification, to the desktop.
    void takeBatch();
    void showNext();
    void showButton();
    void fillList();

    Notices& notices_;
    QStatusBar& statusBar_;
    NoticeButton* button_ = nullptr;
    QPointer<QDialog> listDialog_;
    QListWidget* list_ = nullptr;
    DesktopNotifier* notifier_ = nullptr;
    DesktopSink desktop_;
    std::vector<Notice> batch_;
    QTimer* batchTimer_ = nullptr;
    // Waiting for the status bar, oldest first; the line shown keeps it until shownTimer_ ends.
    std::deque<Notice> waiting_;
    QTimer* shownTimer_ = nullptr;
    int minimumShowMs_ = 4000;
    // The list is being opened: what it shows as unread stays so.
    bool reading_ = false;
};

} // namespace app::gui
