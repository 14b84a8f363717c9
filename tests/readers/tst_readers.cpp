// kvt318-scan's InfluxDB lines and Prometheus endpoint, read by Debian's own influxd, prometheus
// and promtool, each on free loopback ports with a scratch data folder.
#include "simprocess.h"

#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QUrlQuery>
#include <QtTest>

#include <csignal>

namespace {

constexpr int kStartMs = 60'000; // a Debug build and a database on two shared cores
constexpr int kFinishMs = 90'000;

quint16 freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost) ? probe.serverPort() : 0;
}

QString program(const char *name)
{
    return QStandardPaths::findExecutable(QLatin1String(name));
}

// A reader from Debian with a configuration file and a data folder of its own.
struct Reader
{
    QTemporaryDir dir;
    QProcess process;

    bool configure(const QString &text)
    {
        QFile config(dir.filePath(QStringLiteral("config")));
        return config.open(QIODevice::WriteOnly) && config.write(text.toUtf8()) > 0;
    }
};

// The status and body of one HTTP request; status 0 when nothing answered.
QPair<int, QByteArray> request(const QUrl &url, const QByteArray &post = {})
{
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/x-www-form-urlencoded");
    std::unique_ptr<QNetworkReply> reply(post.isNull() ? manager.get(request)
                                                       : manager.post(request, post));
    QSignalSpy finished(reply.get(), &QNetworkReply::finished);
    if (!finished.wait(kFinishMs)) {
        return {};
    }
    return {reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->readAll()};
}

QUrl local(quint16 port, const QString &path, const QUrlQuery &query = {})
{
    QUrl url(QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(path));
    url.setQuery(query);
    return url;
}

} // namespace

class TestReaders : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void influxdbReadsTheLines()
    {
        if (program("influxd").isEmpty()) {
            QSKIP("influxd is not installed (Debian package influxdb)");
        }
        SimProcess sim;
        QVERIFY(sim.start({"--jitter", "1", "--carrier", "12:-60"}));
        Reader influxd;
        const QString lines = influxd.dir.filePath(QStringLiteral("survey.lp"));
        QProcess scan;
        scan.start(qEnvironmentVariable("KVT318_SCAN"),
                   {"-q", "--sweeps", "2", "--format", "influx", "--influx-tag",
                    "site=North Hill, mast=2", "--name", "north-1", "-o", lines, sim.devicePath()});
        QVERIFY(scan.waitForFinished(kFinishMs) && scan.exitCode() == 0);
        QFile file(lines);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray written = file.readAll();

        const quint16 port = freePort();
        QVERIFY(influxd.configure(
            QStringLiteral("reporting-disabled = true\nbind-address = \"127.0.0.1:%1\"\n"
                           "[meta]\ndir = \"%2/meta\"\n[data]\ndir = \"%2/data\"\n"
                           "wal-dir = \"%2/wal\"\n[http]\nbind-address = \"127.0.0.1:%3\"\n"
                           "[monitor]\nstore-enabled = false\n")
                .arg(freePort())
                .arg(influxd.dir.path())
                .arg(port)));
        influxd.process.start(program("influxd"), {"-config", influxd.dir.filePath("config")});
        QTRY_COMPARE_WITH_TIMEOUT(request(local(port, "/ping")).first, 204, kStartMs);
        QCOMPARE(request(local(port, "/query"), "q=CREATE DATABASE survey").first, 200);
        const auto write = request(local(port, "/write", {{"db", "survey"}}), written);
        QVERIFY2(write.first == 204, write.second.constData());

        const auto value = [port](const QString &query) {
            const QByteArray body =
                request(local(port, "/query", {{"db", "survey"}, {"q", query}})).second;
            return QJsonDocument::fromJson(body)["results"][0]["series"][0]["values"][0][1].toInt();
        };
        QCOMPARE(value("SELECT count(dbm) FROM kvt318 WHERE site='North Hill, mast=2' AND "
                       "receiver='north-1' AND channel='46' AND port='" +
                       QFileInfo(sim.devicePath()).fileName() + "'"),
                 2);
        QVERIFY(qAbs(value("SELECT max(dbm) FROM kvt318 WHERE channel='12'") + 60) <= 6);
    }

    void prometheusScrapesTheScanner()
    {
        if (program("prometheus").isEmpty() || program("promtool").isEmpty()) {
            QSKIP("prometheus is not installed (Debian package prometheus)");
        }
        SimProcess sim;
        QVERIFY(sim.start({"--jitter", "0", "--mode", "04", "--carrier", "30:-70"}));
        const quint16 metricsPort = freePort();
        QProcess scan;
        scan.start(
            qEnvironmentVariable("KVT318_SCAN"),
            {"-q", "--metrics", QString::number(metricsPort), "-o", "/dev/null", sim.devicePath()});
        const QUrl metrics = local(metricsPort, "/metrics");
        QByteArray text;
        QTRY_VERIFY_WITH_TIMEOUT((text = request(metrics).second).contains("kvt318_up 1\n") &&
                                     !text.contains("kvt318_sweeps_total 0\n"),
                                 kStartMs);
        QVERIFY(text.contains("\nkvt318_rssi_dbm{channel=\"30\",mhz=\"429.5375\"} -70\n"));
        QVERIFY(text.contains("\nkvt318_occupancy_ratio{channel=\"30\",mhz=\"429.5375\"} 1.0"));
        // Always busy: the interval reaches 1 and starts below it.
        QVERIFY(
            text.contains("\nkvt318_occupancy_high_ratio{channel=\"30\",mhz=\"429.5375\"} 1.0"));
        QVERIFY(text.contains("\nkvt318_occupancy_low_ratio{channel=\"30\",mhz=\"429.5375\"} 0."));

        QProcess promtool;
        promtool.start(program("promtool"), {"check", "metrics"});
        promtool.write(text);
        promtool.closeWriteChannel();
        QVERIFY(promtool.waitForFinished(kFinishMs));
        QVERIFY2(promtool.exitCode() == 0, promtool.readAll().constData());

        Reader prometheus;
        const quint16 port = freePort();
        QVERIFY(
            prometheus.configure(QStringLiteral("global:\n  scrape_interval: 1s\nscrape_configs:\n"
                                                "  - job_name: kvt318\n    static_configs:\n"
                                                "      - targets: ['127.0.0.1:%1']\n")
                                     .arg(metricsPort)));
        prometheus.process.start(program("prometheus"),
                                 {"--config.file=" + prometheus.dir.filePath("config"),
                                  "--storage.tsdb.path=" + prometheus.dir.filePath("data"),
                                  QStringLiteral("--web.listen-address=127.0.0.1:%1").arg(port)});
        const auto result = [port](const QString &query) {
            const QByteArray body =
                request(local(port, "/api/v1/query", {{"query", query}})).second;
            return QJsonDocument::fromJson(body)["data"]["result"][0];
        };
        QTRY_VERIFY_WITH_TIMEOUT(result("kvt318_sweeps_total")["value"][1].toString().toInt() > 0,
                                 kStartMs);
        const QJsonValue identity = result("kvt318_info")["metric"];
        QCOMPARE(identity["receiver"].toString(), QFileInfo(sim.devicePath()).fileName());
        QCOMPARE(identity["model"].toString(), "KVT-318M");
        QCOMPARE(identity["firmware"].toString(), "Ver1.00");
        QCOMPARE(identity["port"].toString(), sim.devicePath());

        ::kill(static_cast<pid_t>(scan.processId()), SIGINT);
        QVERIFY(scan.waitForFinished(kFinishMs));
        QCOMPARE(scan.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestReaders)
#include "tst_readers.moc"
