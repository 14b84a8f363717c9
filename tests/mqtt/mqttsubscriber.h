#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <mutex>

struct mosquitto;

// Collects what arrives under a topic filter, on libmosquitto's own thread. Its session
// outlives a broker restart (persistent, QoS 1), so nothing published meanwhile is missed.
class MqttSubscriber
{
public:
    struct Message
    {
        QByteArray topic;
        QByteArray payload;
        bool retained = false;
    };

    MqttSubscriber(int port, const QString &filter);
    ~MqttSubscriber();
    MqttSubscriber(const MqttSubscriber &) = delete;
    MqttSubscriber &operator=(const MqttSubscriber &) = delete;

    [[nodiscard]] bool isSubscribed() const;
    [[nodiscard]] QList<Message> messages() const;
    // The payloads that arrived on the topic, in order.
    [[nodiscard]] QList<QByteArray> payloads(const QByteArray &topic) const;

private:
    static void onConnect(mosquitto *mosq, void *self, int rc);
    static void onSubscribe(mosquitto *, void *self, int, int, const int *);
    static void onMessage(mosquitto *, void *self, const struct mosquitto_message *message);

    QByteArray m_filter;
    mosquitto *m_mosq = nullptr;
    mutable std::mutex m_mutex;
    QList<Message> m_messages;
    bool m_subscribed = false;
};
