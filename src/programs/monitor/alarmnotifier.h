#pragma once

#include "engine/alarm/alarmaction.h"

#include <QDBusConnection>
#include <QObject>

class QSystemTrayIcon;

// Tells the person at the desk about a raise: a desktop notification through the freedesktop
// notification service on the session bus, or the tray's message where there is no such
// service, and the system's alert sound when asked for.
class AlarmNotifier : public QObject, public AlarmAction
{
    Q_OBJECT

public:
    enum class Route { None, Desktop, Tray };

    // Desktop notifications go to the service on this bus.
    explicit AlarmNotifier(QObject *parent = nullptr,
                           const QDBusConnection &bus = QDBusConnection::sessionBus());

    void setEnabled(bool notify, bool sound);
    void notify(const AlarmEvent &event);
    void take(const AlarmEvent &event, const AlarmEngine &engine) override;

    // Where a notification goes first: the desktop's service when there is a session bus (the
    // tray after all when the bus has no such service), else the tray.
    [[nodiscard]] Route route() const;

private:
    QSystemTrayIcon *tray();

    QDBusConnection m_bus;
    QSystemTrayIcon *m_tray = nullptr;
    bool m_notify = true;
    bool m_sound = false;
};
