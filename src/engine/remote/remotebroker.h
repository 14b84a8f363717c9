#pragma once

#include <QObject>

class BrokerConnection;
class ReceiverDirectory;
struct BrokerSettings;

// One broker watched: the connection and the directory of the receivers it knows, kept up to
// date from the status and info topics. The receivers' sources share the connection.
class RemoteBroker : public QObject
{
    Q_OBJECT

public:
    explicit RemoteBroker(const BrokerSettings &settings, QObject *parent = nullptr);

    [[nodiscard]] BrokerConnection &connection() const { return *m_connection; }
    [[nodiscard]] ReceiverDirectory &directory() const { return *m_directory; }

private:
    ReceiverDirectory *m_directory = nullptr;
    BrokerConnection *m_connection = nullptr;
};
