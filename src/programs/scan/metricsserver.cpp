#include "programs/scan/metricsserver.h"

#include "programs/scan/scanmetrics.h"

#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

// A connection that counts what arrives towards the request being answered and is closed once
// that passes the limit; the count starts again with each answer. Its read buffer stays
// unbounded: Qt 6.4's server stops reading a socket whose buffer is bounded.
class LimitedSocket : public QTcpSocket
{
public:
    explicit LimitedSocket(QObject *parent)
        : QTcpSocket(parent)
    {
        connect(this, &QIODevice::readyRead, this, &LimitedSocket::countArrival);
    }

protected:
    qint64 writeData(const char *data, qint64 size) override
    {
        m_received = 0;
        return QTcpSocket::writeData(data, size);
    }

private:
    void countArrival()
    {
        m_received += bytesAvailable();
        if (m_received > MetricsServer::kRequestLimit && !m_closing) {
            m_closing = true;
            // Once the server's own handler for this arrival has returned.
            QMetaObject::invokeMethod(this, &QAbstractSocket::abort, Qt::QueuedConnection);
        }
    }

    qint64 m_received = 0;
    bool m_closing = false;
};

class LimitedServer : public QTcpServer
{
public:
    using QTcpServer::QTcpServer;

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto *socket = new LimitedSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        addPendingConnection(socket);
    }
};

} // namespace

std::optional<MetricsAddress> MetricsAddress::parse(const QString &text)
{
    MetricsAddress result;
    QString portText = text;
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon >= 0) {
        QString host = text.left(colon);
        if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']'))) {
            host = host.mid(1, host.size() - 2);
        }
        if (!result.address.setAddress(host)) {
            return std::nullopt;
        }
        portText = text.mid(colon + 1);
    }
    bool ok = false;
    const uint port = portText.toUInt(&ok);
    if (!ok || port == 0 || port > 0xFFFF) {
        return std::nullopt;
    }
    result.port = static_cast<quint16>(port);
    return result;
}

QString MetricsAddress::toString() const
{
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                             ? QLatin1Char('[') + address.toString() + QLatin1Char(']')
                             : address.toString();
    return host + QLatin1Char(':') + QString::number(port);
}

MetricsServer::MetricsServer(std::function<QByteArray()> render, QObject *parent)
    : QAbstractHttpServer(parent)
    , m_render(std::move(render))
{}

bool MetricsServer::start(const MetricsAddress &address)
{
    auto *server = new LimitedServer(this);
    if (!server->listen(address.address, address.port)) {
        m_error = address.toString() + QLatin1String(": ") + server->errorString();
        delete server;
        return false;
    }
    bind(server);
    return true;
}

bool MetricsServer::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket)
{
    QHttpServerResponder responder = makeResponder(request, socket);
    if (request.url().path() != QLatin1String("/metrics")) {
        responder.write(QHttpServerResponder::StatusCode::NotFound);
    } else if (request.method() != QHttpServerRequest::Method::Get) {
        responder.write({{"Allow", "GET"}}, QHttpServerResponder::StatusCode::MethodNotAllowed);
    } else {
        responder.write(m_render(), ScanMetrics::kContentType);
    }
    return true;
}

void MetricsServer::missingHandler(const QHttpServerRequest &request, QTcpSocket *socket)
{
    makeResponder(request, socket).write(QHttpServerResponder::StatusCode::NotFound);
}
