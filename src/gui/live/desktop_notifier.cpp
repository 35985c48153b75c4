#include "gui/live/desktop_notifier.h"

#include <QApplication>
#include <QGuiApplication>
#include <QSystemTrayIcon>

#ifdef K11_WITH_DBUS
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QVariantMap>
#endif

namespace app::gui {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
// How long a notification stays, in milliseconds.
constexpr int kShownMs = 10000;

#ifdef K11_WITH_DBUS
// The session bus has the notification service running, or can start it.
bool busHasNotifications() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()) return false;
    if (bus.interface()->isServiceRegistered(kService).value()) return true;
    const QDBusMessage listed =
        bus.call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                QStringLiteral("/org/freedesktop/DBus"),
                                                QStringLiteral("org.freedesktop.DBus"),
                                                QStringLiteral("ListActivatableNames")),
                 QDBus::Block, 2000);
    return listed.type() == QDBusMessage::ReplyMessage && !listed.arguments().isEmpty() &&
           listed.arguments().front().toStringList().contains(kService);
}
#endif

} // namespace

DesktopNotifier::DesktopNotifier(QObject* parent) : QObject(parent) {
#ifdef K11_WITH_DBUS
    bus_ = busHasNotifications();
#endif
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        tray_ = new QSystemTrayIcon(QApplication::windowIcon(), this);
        tray_->setToolTip(QStringLiteral("11选5 历史号码分析"));
        tray_->show();
    }
}

bool DesktopNotifier::available() const {
    return bus_ || (tray_ && tray_->isVisible() && QSystemTrayIcon::supportsMessages());
}

bool DesktopNotifier::show(const QString& title, const QString& body) {
#ifdef K11_WITH_DBUS
    if (bus_) {
        QDBusMessage notify = QDBusMessage::createMethodCall(
            kService, QStringLiteral("/org/freedesktop/Notifications"), kService,
            QStringLiteral("Notify"));
        notify << QStringLiteral("11选5历史号码分析") << 0u << QGuiApplication::desktopFileName()
               << title << body << QStringList() << QVariantMap() << kShownMs;
        // Not waited for: a slow notification service never holds up the window.
        if (QDBusConnection::sessionBus().send(notify)) return true;
    }
#endif
    if (tray_ && tray_->isVisible() && QSystemTrayIcon::supportsMessages()) {
        tray_->showMessage(title, body, QSystemTrayIcon::Information, kShownMs);
        return true;
    }
    return false;
}

} // namespace app::gui
