#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

class ChannelStatistics;
class MqttSession;
struct SweepRecord;
class MqttSweepQueue;
struct MqttInfo;
struct MqttSettings;

// Publishes a recording to an MQTT broker: each complete sweep as its JSON Lines object to
// PREFIX/sweep, the statistics now and then (retained) to PREFIX/stats, the scanner's presence
// to PREFIX/status, and what it is (retained) to PREFIX/info at each connection and with the
// statistics. Every payload but the status names the receiver. A broker that is away never holds up
// the sweep: the sweeps wait in a bounded queue for the network thread, the oldest giving way, and
// the count of those lost goes out with the statistics.
class MqttPublisher : public QObject
{
    Q_OBJECT

public:
    // What the scanner is now, for PREFIX/info.
    using InfoSource = std::function<MqttInfo()>;

    MqttPublisher(const MqttSettings &settings, const ChannelStatistics &statistics,
                  InfoSource info = {}, QObject *parent = nullptr);
    ~MqttPublisher() override;

    // Queues the sweep for the broker; never waits for the network.
    void publishSweep(const SweepRecord &sweep);

    // An alarm event to PREFIX/alarm, and the alarms raised now, retained, to
    // PREFIX/alarm/active.
    void publishAlarm(const QByteArray &eventJson, const QByteArray &activeJson);
    void publishActiveAlarms(const QByteArray &activeJson);
    // PREFIX/info anew, as the info source tells it now: when the module has said what it is.
    void publishInfo();
    // ,"receiver":"NAME" for the JSON payloads.
    [[nodiscard]] const QByteArray &receiverField() const { return m_receiverField; }

    // Delivers what is queued for a few seconds at most, counts what is left as dropped and
    // sends the final statistics. Returns the sweeps left undelivered.
    qint64 finish();

    [[nodiscard]] qint64 droppedSweeps() const;
    [[nodiscard]] bool isConnected() const { return m_connected; }
    // Whether the next sweep queued pushes out none: a sender with time waits until then.
    [[nodiscard]] bool hasRoom() const;

Q_SIGNALS:
    void connected();
    void connectionLost(const QString &reason);
    // The broker refused the login or the TLS handshake before any connection succeeded.
    void refused(const QString &reason);
    // From the network thread.
    void sessionEvent(int event, const QString &reason, QPrivateSignal);

private:
    void handleSessionEvent(int event, const QString &reason);
    void publishStats();

    const ChannelStatistics &m_statistics;
    InfoSource m_info;
    QString m_receiver;
    QByteArray m_receiverField;
    std::shared_ptr<MqttSweepQueue> m_queue;
    std::unique_ptr<MqttSession> m_session;
    QTimer m_statsTimer;
    qint64 m_sweeps = 0;
    bool m_connected = false;
};
