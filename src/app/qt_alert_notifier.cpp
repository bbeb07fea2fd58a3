#include "app/qt_alert_notifier.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QSystemTrayIcon>
#include <QVariantMap>

#include "app/program_icon.h"

namespace vela::app {

QtAlertNotifier::QtAlertNotifier() = default;

QtAlertNotifier::~QtAlertNotifier() = default;

void QtAlertNotifier::Beep() {
    QApplication::beep();
}

void QtAlertNotifier::Notify(const std::string& title, const std::string& text) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            "org.freedesktop.Notifications", "/org/freedesktop/Notifications",
            "org.freedesktop.Notifications", "Notify");
        call << QStringLiteral("Vela Monitor") << 0u << QStringLiteral("vela-monitor")
             << QString::fromStdString(title) << QString::fromStdString(text) << QStringList()
             << QVariantMap() << -1;
        // Sent without waiting: no service (or a hung one) answers with an error nobody reads.
        bus.send(call);
        return;
    }
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
    if (!tray_) {
        tray_ = std::make_unique<QSystemTrayIcon>(ProgramIcon());
        tray_->show();
    }
    tray_->showMessage(QString::fromStdString(title), QString::fromStdString(text));
}

}  // namespace vela::app
