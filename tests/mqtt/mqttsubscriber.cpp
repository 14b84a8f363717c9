#include "mqttsubscriber.h"

#include <QUuid>

#include <mosquitto.h>

namespace {
constexpr int kKeepAliveSeconds = 60;
constexpr int kIdLength = 20;
} // namespace

MqttSubscriber::MqttSubscriber(int port, const QString &filter, int qos)
    : m_filter(filter.toUtf8())
    , m_qos(qos)
{
    mosquitto_lib_init();
    const QByteArray id = QUuid::createUuid().toByteArray(QUuid::Id128).left(kIdLength);
    m_mosq = mosquitto_new(id.constData(), false, this);
    mosquitto_connect_callback_set(m_mosq, &MqttSubscriber::onConnect);
    mosquitto_subscribe_callback_set(m_mosq, &MqttSubscriber::onSubscribe);
    mosquitto_message_callback_set(m_mosq, &MqttSubscriber::onMessage);
    mosquitto_reconnect_delay_set(m_mosq, 1, 1, false);
    mosquitto_connect_async(m_mosq, "127.0.0.1", port, kKeepAliveSeconds);
    mosquitto_loop_start(m_mosq);
}

MqttSubscriber::~MqttSubscriber()
{
    mosquitto_disconnect(m_mosq);
    mosquitto_loop_stop(m_mosq, false);
    mosquitto_destroy(m_mosq);
}

void MqttSubscriber::onConnect(mosquitto *mosq, void *self, int rc)
{
    if (rc == 0) {
        auto *subscriber = static_cast<MqttSubscriber *>(self);
        mosquitto_subscribe(mosq, nullptr, subscriber->m_filter.constData(), subscriber->m_qos);
    }
}

void MqttSubscriber::onSubscribe(mosquitto *, void *self, int, int, const int *)
{
    auto *subscriber = static_cast<MqttSubscriber *>(self);
    const std::lock_guard lock(subscriber->m_mutex);
    subscriber->m_subscribed = true;
}

void MqttSubscriber::onMessage(mosquitto *, void *self, const mosquitto_message *message)
{
    auto *subscriber = static_cast<MqttSubscriber *>(self);
    const std::lock_guard lock(subscriber->m_mutex);
    subscriber->m_messages.append(
        {QByteArray(message->topic),
         QByteArray(static_cast<const char *>(message->payload), message->payloadlen)});
}

bool MqttSubscriber::isSubscribed() const
{
    const std::lock_guard lock(m_mutex);
    return m_subscribed;
}

QList<QByteArray> MqttSubscriber::payloads(const QByteArray &topic) const
{
    const std::lock_guard lock(m_mutex);
    QList<QByteArray> found;
    for (const auto &[messageTopic, payload] : m_messages) {
        if (messageTopic == topic) {
            found.append(payload);
        }
    }
    return found;
}
