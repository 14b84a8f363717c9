// A raise reaches the desktop's notification service on a bus of the test's own; without a bus
// it goes to the tray where there is one.
#include "engine/alarm/alarmevent.h"
#include "programs/monitor/alarmnotifier.h"

#include <QDBusConnection>
#include <QProcess>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QtTest>

namespace {
const QString kService = QStringLiteral("org.freedesktop.Notifications");

// The notification service as a desktop has it: it keeps what it is asked to show.
class FakeNotifications : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QStringList shown;

public Q_SLOTS:
    uint Notify(const QString &, uint, const QString &, const QString &summary, const QString &body,
                const QStringList &, const QVariantMap &, int)
    {
        shown.append(summary + QLatin1Char('|') + body);
        return static_cast<uint>(shown.size());
    }
};
} // namespace

class TestAlarmNotifier : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void raiseGoesToTheDesktop()
    {
        AlarmEvent event;
        event.index = 23;
        event.dbm = -72;
        event.rule = QStringLiteral("ch=30,above=-90");
        {
            AlarmNotifier notifier(nullptr, QDBusConnection(QStringLiteral("none")));
            QCOMPARE(notifier.route(), QSystemTrayIcon::isSystemTrayAvailable()
                                           ? AlarmNotifier::Route::Tray
                                           : AlarmNotifier::Route::None);
        }
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        QProcess bus;
        if (!daemon.isEmpty()) {
            bus.start(daemon, {"--session", "--nofork", "--print-address=1"});
        }
        if (!bus.waitForReadyRead(30'000)) {
            QSKIP("no dbus-daemon could be started (Debian package dbus-daemon): the desktop's "
                  "notification service is not tried");
        }
        const QString address = QString::fromUtf8(bus.readLine()).trimmed();
        QDBusConnection service = QDBusConnection::connectToBus(address, QStringLiteral("service"));
        FakeNotifications notifications;
        QVERIFY(service.registerObject(QStringLiteral("/org/freedesktop/Notifications"),
                                       &notifications, QDBusConnection::ExportAllSlots));
        QVERIFY(service.registerService(kService));

        AlarmNotifier notifier(nullptr,
                               QDBusConnection::connectToBus(address, QStringLiteral("monitor")));
        QCOMPARE(notifier.route(), AlarmNotifier::Route::Desktop);
        event.kind = AlarmEvent::Kind::Cleared;
        notifier.notify(event);
        event.kind = AlarmEvent::Kind::Raised;
        notifier.notify(event);
        QTRY_COMPARE(notifications.shown,
                     QStringList{"Channel 30 busy|429.5375 MHz at -72 dBm (ch=30,above=-90)"});
        notifier.setEnabled(false, false);
        QCOMPARE(notifier.route(), AlarmNotifier::Route::None);

        QDBusConnection::disconnectFromBus(QStringLiteral("service"));
        QDBusConnection::disconnectFromBus(QStringLiteral("monitor"));
        bus.kill();
        bus.waitForFinished();
    }
};

QTEST_MAIN(TestAlarmNotifier)
#include "tst_alarmnotifier.moc"
