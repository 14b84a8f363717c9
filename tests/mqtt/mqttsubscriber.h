#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <mutex>

struct mosquitto;
struct mosquitto_message;

// Collects the payloads that arrive under a topic filter, on libmosquitto's own thread. Its
// session is persistent (QoS 1), so a broker restart loses nothing published meanwhile.
class MqttSubscriber
{
public:
    MqttSubscriber(int port, const QString &filter, int qos = 1);
    ~MqttSubscriber();
    MqttSubscriber(const MqttSubscriber &) = delete;
    MqttSubscriber &operator=(const MqttSubscriber &) = delete;

    [[nodiscard]] bool isSubscribed() const;
    // The payloads that arrived on the topic, in order.
    [[nodiscard]] QList<QByteArray> payloads(const QByteArray &topic) const;
    [[nodiscard]] QByteArray last(const QByteArray &topic) const
    {
        return payloads(topic).value(payloads(topic).size() - 1);
    }

private:
    static void onConnect(mosquitto *mosq, void *self, int rc);
    static void onSubscribe(mosquitto *, void *self, int, int, const int *);
    static void onMessage(mosquitto *, void *self, const mosquitto_message *message);

    QByteArray m_filter;
    int m_qos = 1;
    mosquitto *m_mosq = nullptr;
    mutable std::mutex m_mutex;
    QList<std::pair<QByteArray, QByteArray>> m_messages;
    bool m_subscribed = false;
};
