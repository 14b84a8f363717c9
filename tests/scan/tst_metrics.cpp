#include "engine/record/sweeprecord.h"
#include "programs/scan/metricsserver.h"
#include "programs/scan/scanmetrics.h"
#include "programs/scan/scanreport.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

namespace {

constexpr int kReplyWaitMs = 10000;

// One request on a connection of its own: what came back until the answer's headers were in
// (a short body comes with them) or the server closed the connection, then whether it did.
QByteArray exchange(quint16 port, const QByteArray &request)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    QByteArray reply;
    if (socket.waitForConnected() && socket.write(request) > 0) {
        while (!reply.contains("\r\n\r\n") && socket.waitForReadyRead(kReplyWaitMs)) {
            reply += socket.readAll();
        }
    }
    return reply + (socket.state() == QAbstractSocket::ConnectedState ? "" : "closed");
}

} // namespace

class TestMetrics : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void serves_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("reply"); // its start, or "closed" alone
        const QByteArray get = "GET /metrics HTTP/1.1\r\nHost: x\r\n\r\n";
        QTest::newRow("metrics") << get << QByteArray("HTTP/1.1 200 OK");
        QTest::newRow("other path")
            << QByteArray(get).replace("/metrics", "/") << QByteArray("HTTP/1.1 404");
        QTest::newRow("other method")
            << QByteArray(get).replace("GET", "DELETE") << QByteArray("HTTP/1.1 405");
        const QByteArray body(MetricsServer::kRequestLimit * 8, 'x');
        QTest::newRow("body beyond the limit")
            << "POST /metrics HTTP/1.1\r\nContent-Length: 999999999\r\n\r\n" + body
            << QByteArray("closed");
    }
    void serves()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, reply);
        // A bare port is the loopback address's only.
        QCOMPARE(MetricsAddress::parse("9100")->toString(), QStringLiteral("127.0.0.1:9100"));
        MetricsServer server([] { return QByteArray("kvt318_up 1\n"); });
        QVERIFY(server.start(MetricsAddress{QHostAddress::LocalHost, 0}));
        const quint16 port = server.servers().constFirst()->serverPort();
        // The client blocks on a thread of its own; the server answers on this one.
        QByteArray answer;
        std::unique_ptr<QThread> client(
            QThread::create([&answer, port, request] { answer = exchange(port, request); }));
        client->start();
        QTRY_VERIFY_WITH_TIMEOUT(client->isFinished(), 2 * kReplyWaitMs);
        QVERIFY2(answer.startsWith(reply), answer.left(200).constData());
        QCOMPARE(answer.contains("Allow: GET"), reply.endsWith("405"));
        QCOMPARE(answer.contains(ScanMetrics::kContentType), reply.endsWith("200 OK"));
    }

    // The progress line on a terminal names the channel heard loudest in the last sweep.
    void progressNamesTheStrongestChannel_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("named");
        QTest::newRow("channel 12") << 5 << "strongest ch 12 -50 dBm";
        QTest::newRow("the top channel") << 39 << "strongest ch 46 -50 dBm";
    }
    void progressNamesTheStrongestChannel()
    {
        QFETCH(int, index);
        SweepRecord sweep;
        sweep.dbm.fill(-120);
        sweep.dbm[std::size_t(index)] = -50;
        scanreport::Progress progress;
        progress.lastSweep = &sweep;
        QFETCH(QString, named);
        const QString line = scanreport::progressLine(progress);
        QVERIFY2(line.endsWith(named), qPrintable(line));
    }
};

QTEST_GUILESS_MAIN(TestMetrics)
#include "tst_metrics.moc"
