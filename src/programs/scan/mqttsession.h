#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <thread>

struct MqttSettings;
class MqttSweepQueue;

// The connection to the broker, kept on a thread of its own so that name look-ups, TCP and TLS
// handshakes and a broker that stops reading never hold up the sweep. It connects, publishes
// "online" (with a last will of "offline"), sends the queued sweeps with a bounded number in
// flight, and after a lost or failed connection waits 1 s, 2 s, 4 s … up to 30 s and tries
// again. A login or TLS refusal before the first connection is final: the settings are wrong.
class MqttSession
{
public:
    enum class Event { Connected, Lost, Refused };
    // Called on the network thread; never after the session is destroyed.
    using Listener = std::function<void(Event, const QString &reason)>;
    // The last statistics, made on the network thread once the sweeps not delivered are counted.
    using FinalStats = std::function<QByteArray(qint64 droppedSweeps)>;

    MqttSession(const MqttSettings &settings, std::shared_ptr<MqttSweepQueue> sweeps,
                Listener listener);
    // Delivers the queued sweeps for a few seconds at most and counts those left as dropped,
    // then publishes the final statistics and "offline" where the broker still takes them, and
    // disconnects. A connection attempt still hanging then is left to end on its own. Returns
    // the sweeps that were not delivered.
    qint64 close(FinalStats finalStats);
    // Closes without final statistics, if close() was not called.
    ~MqttSession();
    MqttSession(const MqttSession &) = delete;
    MqttSession &operator=(const MqttSession &) = delete;

    // Retained; replaces statistics not yet sent.
    void publishStats(QByteArray payload);
    // To PREFIX/LEVEL, QoS 1, once connected. A retained message replaces one for the same
    // topic not yet sent; the others wait in order, the oldest giving way beyond a limit.
    void publish(const QByteArray &level, QByteArray payload, bool retained);

private:
    class Core;
    std::shared_ptr<Core> m_core;
    std::shared_ptr<MqttSweepQueue> m_sweeps;
    std::thread m_thread;
};
