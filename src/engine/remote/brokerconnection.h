#pragma once

#include "engine/remote/brokersettings.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <chrono>
#include <memory>
#include <thread>

// A read-only connection to a broker: it subscribes to topic patterns and hands every message
// that arrives to the window's thread. The network work (name look-up, TCP and TLS handshakes,
// a broker that stops answering) runs on a thread of its own, so the windows never wait for
// it. A lost or failed connection is tried again after the back-off of kvt318-scan, and every
// pattern subscribed again; a broker that refuses the login or the TLS handshake before it was
// ever reached is not tried again, as the settings are wrong. It never publishes.
class BrokerConnection : public QObject
{
    Q_OBJECT

public:
    enum class State { Connecting, Connected, Lost, Refused };

    explicit BrokerConnection(BrokerSettings settings, QObject *parent = nullptr);
    // Disconnects; a connection attempt still hanging then is left to end on its own.
    ~BrokerConnection() override;
    BrokerConnection(const BrokerConnection &) = delete;
    BrokerConnection &operator=(const BrokerConnection &) = delete;

    // Subscribes now if connected, and after every reconnect; QoS 1, so that nothing the
    // broker took from a scanner is lost on the way here.
    void subscribe(const QByteArray &pattern);

    [[nodiscard]] const BrokerSettings &settings() const { return m_settings; }
    [[nodiscard]] State state() const { return m_state; }
    // Why it was lost or refused.
    [[nodiscard]] QString reason() const { return m_reason; }
    // While Lost: when the next attempt starts.
    [[nodiscard]] std::chrono::seconds retryIn() const { return m_retryIn; }
    // Every pattern asked for is subscribed on the current connection.
    [[nodiscard]] bool isSubscribed() const { return m_subscribed; }

Q_SIGNALS:
    void stateChanged(BrokerConnection::State state);
    // The broker acknowledged every subscription of this connection.
    void subscribed();
    // retained: stored by the broker before this connection subscribed.
    void message(const QByteArray &topic, const QByteArray &payload, bool retained);

private:
    class Core;
    void takeState(State state, const QString &reason, std::chrono::seconds retryIn);

    BrokerSettings m_settings;
    State m_state = State::Connecting;
    QString m_reason;
    std::chrono::seconds m_retryIn{0};
    bool m_subscribed = false;
    std::shared_ptr<Core> m_core;
    std::thread m_thread;
};
