#include "engine/protocol/reading.h"
#include "engine/record/channelstatistics.h"
#include "programs/scan/metricsserver.h"
#include "programs/scan/scanmetrics.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

namespace {

constexpr qint64 kT0 = 1796628600123;

constexpr int kReplyWaitMs = 10000;

struct Reply
{
    QByteArray text;
    bool closed = false;
};

bool complete(const QByteArray &reply)
{
    const qsizetype end = reply.indexOf("\r\n\r\n");
    const QRegularExpressionMatch length =
        QRegularExpression(QStringLiteral("Content-Length: (\\d+)"))
            .match(QString::fromLatin1(reply.left(end)));
    return end >= 0 && length.hasMatch() && reply.size() >= end + 4 + length.captured(1).toInt();
}

// One request on a connection of its own: the answer, or the server closing the connection.
Reply exchange(quint16 port, const QByteArray &request)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    Reply reply;
    if (!socket.waitForConnected()) {
        return reply;
    }
    socket.write(request);
    while (!complete(reply.text) && socket.waitForReadyRead(kReplyWaitMs)) {
        reply.text += socket.readAll();
    }
    reply.closed = socket.state() != QAbstractSocket::ConnectedState;
    return reply;
}

} // namespace

class TestMetrics : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void address_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("address"); // empty: refused
        QTest::newRow("bare port is loopback") << "9100"
                                               << "127.0.0.1:9100";
        QTest::newRow("every interface") << "0.0.0.0:9100"
                                         << "0.0.0.0:9100";
        QTest::newRow("IPv6") << "[::1]:9100"
                              << "[::1]:9100";
        QTest::newRow("host name") << "example.org:9100" << QString();
        QTest::newRow("port 0") << "0" << QString();
        QTest::newRow("port too high") << "65536" << QString();
    }
    void address()
    {
        QFETCH(QString, text);
        QFETCH(QString, address);
        const std::optional<MetricsAddress> parsed = MetricsAddress::parse(text);
        QCOMPARE(parsed ? parsed->toString() : QString(), address);
    }

    void rendersWhatTheRunSaw()
    {
        ChannelStatistics statistics;
        ScanMetrics metrics;
        metrics.setUp(true);
        for (const int dbm : {-120, -72}) {
            const Reading reading{23, qint16(dbm), kT0, RadioMode::AirMonitor};
            statistics.addReading(reading);
            metrics.addReading(reading);
        }
        metrics.setSweeps(1, kT0);
        metrics.setRowsWritten(4);
        const QByteArray text = metrics.render(statistics);
        const QList<QByteArray> lines = text.split('\n');
        for (const QByteArray &line : {
                 QByteArray("kvt318_up 1"),
                 QByteArray("kvt318_sweeps_total 1"),
                 QByteArray("kvt318_last_sweep_timestamp_seconds 1796628600.123"),
                 QByteArray("kvt318_rssi_dbm{channel=\"30\",mhz=\"429.5375\"} -72"),
                 QByteArray("kvt318_max_dbm{channel=\"30\",mhz=\"429.5375\"} -72"),
                 QByteArray("kvt318_occupancy_ratio{channel=\"30\",mhz=\"429.5375\"} 0.500000"),
                 QByteArray("kvt318_rows_written_total 4"),
             }) {
            QVERIFY2(lines.contains(line), line.constData());
        }
        // Channels never read have no samples; MQTT off has no counter.
        QCOMPARE(text.count("kvt318_rssi_dbm{"), 1);
        QVERIFY(!text.contains("mqtt"));
    }

    void serves_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("status"); // empty: closed without an answer
        QTest::addColumn<QByteArray>("header");
        QTest::newRow("metrics") << QByteArray("GET /metrics HTTP/1.1\r\nHost: x\r\n\r\n")
                                 << QByteArray("HTTP/1.1 200 OK")
                                 << QByteArray("text/plain; version=0.0.4; charset=utf-8");
        QTest::newRow("other path") << QByteArray("GET / HTTP/1.1\r\nHost: x\r\n\r\n")
                                    << QByteArray("HTTP/1.1 404") << QByteArray();
        QTest::newRow("other method") << QByteArray("DELETE /metrics HTTP/1.1\r\nHost: x\r\n\r\n")
                                      << QByteArray("HTTP/1.1 405") << QByteArray("Allow: GET");
        const QByteArray body(MetricsServer::kRequestLimit * 8, 'x');
        QTest::newRow("body beyond the limit")
            << "POST /metrics HTTP/1.1\r\nHost: x\r\nContent-Length: " +
                   QByteArray::number(body.size() + 1) + "\r\n\r\n" + body
            << QByteArray() << QByteArray();
    }
    void serves()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, status);
        QFETCH(QByteArray, header);
        MetricsServer server([] { return QByteArray("kvt318_up 1\n"); });
        QVERIFY2(server.start(MetricsAddress{QHostAddress::LocalHost, 0}),
                 qPrintable(server.errorString()));
        const quint16 port = server.servers().constFirst()->serverPort();

        // The client blocks on a thread of its own; the server answers on this one.
        Reply reply;
        std::unique_ptr<QThread> client(
            QThread::create([&reply, port, request] { reply = exchange(port, request); }));
        client->start();
        QTRY_VERIFY_WITH_TIMEOUT(client->isFinished(), 2 * kReplyWaitMs);
        QVERIFY2(reply.text.startsWith(status), reply.text.left(200).constData());
        QVERIFY2(reply.text.contains(header), reply.text.left(200).constData());
        QCOMPARE(reply.closed, status.isEmpty());
        if (status.endsWith("200 OK")) {
            QVERIFY(reply.text.endsWith("\r\n\r\nkvt318_up 1\n"));
        }
    }
};

QTEST_GUILESS_MAIN(TestMetrics)
#include "tst_metrics.moc"
