#pragma once

#include <QAbstractHttpServer>
#include <QHostAddress>
#include <QString>

#include <functional>
#include <optional>

// Where the metrics are served: a bare port is the loopback address's only, so that putting
// them on the network takes an address written out.
struct MetricsAddress
{
    QHostAddress address{QHostAddress::LocalHost};
    quint16 port = 0;

    // "PORT", "ADDR:PORT" or "[IPv6]:PORT"; nothing when it is none of them.
    static std::optional<MetricsAddress> parse(const QString &text);
    [[nodiscard]] QString toString() const;
};

// Serves GET /metrics with what `render` returns, in the Prometheus text format. Any other path
// is 404 and any other method 405. A connection that sends more than kRequestLimit bytes
// towards one request is closed, so a request body is never read beyond it.
class MetricsServer : public QAbstractHttpServer
{
public:
    static constexpr qint64 kRequestLimit = qint64{16} * 1024;

    explicit MetricsServer(std::function<QByteArray()> render, QObject *parent = nullptr);

    // False when the address cannot be listened on; errorString() says why.
    [[nodiscard]] bool start(const MetricsAddress &address);
    [[nodiscard]] QString errorString() const { return m_error; }

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    std::function<QByteArray()> m_render;
    QString m_error;
};
