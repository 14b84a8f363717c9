#pragma once

#include <QCoreApplication>
#include <QString>

class BrokerConnection;
struct RemoteReceiver;

// The words the windows use for a broker's connection and a receiver's state.
class RemoteTexts
{
    Q_DECLARE_TR_FUNCTIONS(RemoteTexts)

public:
    // "Connected to mqtt://host:1883", "Broker … lost: reason; trying again in 4 s", …
    static QString connection(const BrokerConnection &connection);
    static QString state(const RemoteReceiver &receiver);
    // Local time, or a dash when not known.
    static QString lastSeen(const RemoteReceiver &receiver);
    static QString url(const BrokerConnection &connection);
};
