#pragma once
// The desktop's notifications: the freedesktop notification service over the session bus where
// there is one, else the system tray's messages, else nothing (a desktop without either, the
// offscreen platform of the tests): the notices are still in the window's list.

#include <QObject>
#include <QString>

class QSystemTrayIcon;

namespace app::gui {

class DesktopNotifier : public QObject {
    Q_OBJECT
  public:
    explicit DesktopNotifier(QObject* parent);

    // False when the desktop shows no notifications.
    bool available() const;
    // Shows one notification; false when it could not be shown.
    bool show(const QString& title, const QString& body);

  private:
    bool bus_ = false;
    QSystemTrayIcon* tray_ = nullptr;
};

} // namespace app::gui
