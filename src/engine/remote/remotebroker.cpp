#include "engine/remote/remotebroker.h"

#include "engine/remote/brokerconnection.h"
#include "engine/remote/receiverdirectory.h"

#include <QDateTime>

RemoteBroker::RemoteBroker(const BrokerSettings &settings, QObject *parent)
    : QObject(parent)
    , m_directory(new ReceiverDirectory(this))
    , m_connection(new BrokerConnection(settings, this))
{
    for (const QByteArray &pattern : ReceiverDirectory::discoveryPatterns()) {
        m_connection->subscribe(pattern);
    }
    connect(m_connection, &BrokerConnection::message, m_directory,
            [this](const QByteArray &topic, const QByteArray &payload, bool retained) {
                m_directory->take(topic, payload, retained, QDateTime::currentMSecsSinceEpoch());
            });
}
