#include "windows/remote/remotetexts.h"

#include "engine/remote/brokerconnection.h"
#include "engine/remote/receiverdirectory.h"

#include <QDateTime>

QString RemoteTexts::url(const BrokerConnection &connection)
{
    const MqttUrl &broker = connection.settings().broker;
    return QStringLiteral("%1://%2:%3")
        .arg(broker.tls ? QStringLiteral("mqtts") : QStringLiteral("mqtt"), broker.host)
        .arg(broker.port);
}

QString RemoteTexts::connection(const BrokerConnection &connection)
{
    switch (connection.state()) {
    case BrokerConnection::State::Connecting:
        return tr("Connecting to %1…").arg(url(connection));
    case BrokerConnection::State::Connected:
        return tr("Connected to %1").arg(url(connection));
    case BrokerConnection::State::Lost:
        return tr("Broker %1 lost: %2; trying again in %3 s")
            .arg(url(connection), connection.reason())
            .arg(connection.retryIn().count());
    case BrokerConnection::State::Refused:
        return tr("Broker %1 refused the connection: %2").arg(url(connection), connection.reason());
    }
    return {};
}

QString RemoteTexts::state(const RemoteReceiver &receiver)
{
    return receiver.online ? tr("online") : tr("offline");
}

QString RemoteTexts::lastSeen(const RemoteReceiver &receiver)
{
    if (receiver.lastSeenUtcMs == 0) {
        return QStringLiteral("–");
    }
    return QDateTime::fromMSecsSinceEpoch(receiver.lastSeenUtcMs)
        .toLocalTime()
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}
