#include "engine/record/channelstatistics.h"
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

    // What a scrape reads of three sweeps, channel 12 at -80, -60 and -90 dBm against -100: the
    // time in seconds, the held maximum (not the latest or the lowest) and the share busy.
    void rendersWhatWasMeasured_data()
    {
        QTest::addColumn<QByteArray>("line");
        const QByteArray ch12 = "{channel=\"12\",mhz=\"429.3125\"} ";
        QTest::newRow("last sweep") << QByteArray("\nkvt318_last_sweep_timestamp_seconds "
                                                  "1796628602.500\n");
        QTest::newRow("sweeps") << QByteArray("\nkvt318_sweeps_total 3\n");
        QTest::newRow("latest") << "\nkvt318_rssi_dbm" + ch12 + "-90\n";
        QTest::newRow("held maximum") << "\nkvt318_max_dbm" + ch12 + "-60\n";
        QTest::newRow("quiet channel's maximum")
            << QByteArray("\nkvt318_max_dbm{channel=\"7\",mhz=\"429.2500\"} -120\n");
        QTest::newRow("occupancy") << "\nkvt318_occupancy_ratio" + ch12 + "1.000000\n";
    }
    void rendersWhatWasMeasured()
    {
        ScanMetrics metrics;
        ChannelStatistics statistics;
        const std::array<qint16, 3> levels{-80, -60, -90};
        for (std::size_t n = 0; n < levels.size(); ++n) {
            SweepRecord sweep;
            sweep.utcMs = 1796628600500 + qint64(n) * 1000; // 2026-12-07T07:30:00.5Z on
            sweep.dbm.fill(-120);
            sweep.dbm[5] = levels[n];
            metrics.addSweep(sweep);
            statistics.addSweep(sweep);
            metrics.setSweeps(statistics.channel(5).samples, sweep.utcMs);
        }
        QFETCH(QByteArray, line);
        const QByteArray text = metrics.render(statistics);
        QVERIFY2(text.contains(line), text.constData());
    }
};

QTEST_GUILESS_MAIN(TestMetrics)
#include "tst_metrics.moc"
