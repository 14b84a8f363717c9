#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <chrono>
#include <deque>
#include <functional>

class QTimer;

// Tells the service manager how kvt318-scan is doing, through the socket a Type=notify service
// is given: ready, a status line for `systemctl status`, a watchdog beat from the event loop,
// and stopping. Without that socket, or built without libsystemd, it does nothing.
class ServiceNotifier : public QObject
{
    Q_OBJECT

public:
    // The records so far, read for the status once a second while sweeping.
    using Counter = std::function<qint64()>;

    static constexpr std::chrono::seconds kStatusInterval{1};
    // The rate in the status is over this long, or since the sweep began.
    static constexpr std::chrono::seconds kRateWindow{60};

    explicit ServiceNotifier(QObject *parent = nullptr);

    // The status line begins with the receiver's name: "north-1: sweeping FSK, …".
    void setReceiver(const QString &name) { m_receiver = name; }
    void ready();
    void waitingFor(const QString &port);
    // The sweep runs in this mode; unit names what is counted ("sweeps", "readings").
    void sweeping(const QString &mode, const QString &unit, Counter records);
    void setBrokerLost(bool lost);
    // The output's file system is below --min-free and its rows are dropped.
    void setWritingPaused(bool paused);
    void stopping();

private:
    struct Sample
    {
        qint64 ms = 0;
        qint64 records = 0;
    };

    void sample();
    void sendStatus();
    void send(const QByteArray &message) const;

    bool m_listening = false;
    QTimer *m_watchdog = nullptr;
    QTimer *m_statusTimer = nullptr;
    QString m_receiver;
    QString m_state;
    QString m_unit;
    Counter m_records;
    std::deque<Sample> m_samples;
    QElapsedTimer m_clock;
    bool m_brokerLost = false;
    bool m_writingPaused = false;
    QByteArray m_sentStatus;
};
