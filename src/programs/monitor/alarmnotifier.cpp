#include "programs/monitor/alarmnotifier.h"

#include "core/channelplan.h"
#include "engine/alarm/alarmevent.h"
#include "engine/record/recordtime.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QSystemTrayIcon>
#include <QVariantMap>

namespace {
const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
// The server's own choice of how long a notification stays.
constexpr int kServerTimeout = -1;
} // namespace

AlarmNotifier::AlarmNotifier(QObject *parent, const QDBusConnection &bus)
    : QObject(parent)
    , m_bus(bus)
{}

void AlarmNotifier::setEnabled(bool notify, bool sound)
{
    m_notify = notify;
    m_sound = sound;
}

AlarmNotifier::Route AlarmNotifier::route() const
{
    if (!m_notify) {
        return Route::None;
    }
    if (m_bus.isConnected()) {
        return Route::Desktop;
    }
    return QSystemTrayIcon::isSystemTrayAvailable() ? Route::Tray : Route::None;
}

void AlarmNotifier::notify(const AlarmEvent &event)
{
    if (event.kind != AlarmEvent::Kind::Raised) {
        return;
    }
    if (m_sound) {
        QApplication::beep();
    }
    const QString summary = tr("Channel %1 busy").arg(channelplan::channelNumber(event.index));
    const QString body = tr("%1 MHz at %2 dBm (%3)")
                             .arg(record::channelMhz(event.index))
                             .arg(event.dbm)
                             .arg(event.rule);
    switch (route()) {
    case Route::None:
        break;
    case Route::Desktop: {
        QDBusMessage call =
            QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Notify"));
        call << QStringLiteral("kvt318-monitor") << 0U << QStringLiteral("dialog-warning")
             << summary << body << QStringList() << QVariantMap() << kServerTimeout;
        auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
        // No notification service on the bus: the tray says it instead, where there is one.
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [this, summary, body](QDBusPendingCallWatcher *reply) {
                    reply->deleteLater();
                    if (reply->isError() && QSystemTrayIcon::isSystemTrayAvailable()) {
                        tray()->showMessage(summary, body, QSystemTrayIcon::Warning);
                    }
                });
        break;
    }
    case Route::Tray:
        tray()->showMessage(summary, body, QSystemTrayIcon::Warning);
        break;
    }
}

void AlarmNotifier::take(const AlarmEvent &event, const AlarmEngine & /*engine*/)
{
    notify(event);
}

QSystemTrayIcon *AlarmNotifier::tray()
{
    if (m_tray == nullptr) {
        m_tray = new QSystemTrayIcon(QApplication::windowIcon(), this);
        m_tray->show();
    }
    return m_tray;
}
