// kvt318-scan's InfluxDB lines and Prometheus endpoint, read by Debian's own influxd, prometheus
// and promtool, each on free loopback ports with a scratch data folder.
#include "simprocess.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QUrlQuery>
#include <QtTest>

#include <csignal>

namespace {

constexpr int kStartMs = 60'000; // a Debug build and a database on two shared cores
constexpr int kFinishMs = 30'000;

quint16 freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost) ? probe.serverPort() : 0;
}

QStringList args(const QString &line)
{
    return line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// A reader from Debian, started for one test and stopped with it.
class Reader
{
public:
    ~Reader()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(kFinishMs)) {
                m_process.kill();
                m_process.waitForFinished();
            }
        }
    }

    QTemporaryDir dir;

    QString path(const QString &name) const { return dir.filePath(name); }
    void start(const QString &program, const QStringList &arguments)
    {
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(program, arguments);
    }

private:
    QProcess m_process;
};

struct Answer
{
    int status = 0;
    QByteArray body;
};

Answer request(const QString &method, const QUrl &url, const QByteArray &body = {})
{
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/x-www-form-urlencoded");
    std::unique_ptr<QNetworkReply> reply(
        manager.sendCustomRequest(request, method.toLatin1(), body));
    QSignalSpy finished(reply.get(), &QNetworkReply::finished);
    if (!finished.wait(kFinishMs)) {
        return {};
    }
    return {reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->readAll()};
}

QString program(const char *name)
{
    return QStandardPaths::findExecutable(QLatin1String(name));
}

// The first value of the first series an InfluxQL query returns.
QJsonValue influxValue(quint16 port, const QString &query)
{
    QUrl url(QStringLiteral("http://127.0.0.1:%1/query").arg(port));
    url.setQuery(QUrlQuery{{"db", "survey"}, {"q", query}});
    const QJsonObject result =
        QJsonDocument::fromJson(request("GET", url).body)["results"][0].toObject();
    return result["series"][0]["values"][0][1];
}

} // namespace

class TestReaders : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void alertRulesLoad()
    {
        if (program("promtool").isEmpty()) {
            QSKIP("promtool is not installed (Debian package prometheus)");
        }
        QProcess promtool;
        promtool.start(program("promtool"),
                       {"check", "rules", qEnvironmentVariable("KVT318_ALERTS")});
        QVERIFY(promtool.waitForFinished(kFinishMs));
        QVERIFY2(promtool.exitCode() == 0, promtool.readAll().constData());
    }

    void influxdbReadsTheLines()
    {
        if (program("influxd").isEmpty()) {
            QSKIP("influxd is not installed (Debian package influxdb)");
        }
        SimProcess sim;
        QVERIFY(sim.start(args("--jitter 1 --carrier 12:-60 --carrier 33:-85")));
        QTemporaryDir dir;
        const QString lines = dir.filePath(QStringLiteral("survey.lp"));
        QProcess scan;
        scan.start(qEnvironmentVariable("KVT318_SCAN"),
                   {"-q", "--sweeps", "2", "--format", "influx", "--influx-tag",
                    "site=North Hill, mast=2", "-o", lines, sim.devicePath()});
        QVERIFY(scan.waitForFinished(kFinishMs));
        QCOMPARE(scan.exitCode(), 0);
        QFile file(lines);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray written = file.readAll();

        Reader influxd;
        const quint16 port = freePort();
        QFile config(influxd.path(QStringLiteral("influxdb.conf")));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write(QStringLiteral("reporting-disabled = true\n"
                                    "bind-address = \"127.0.0.1:%1\"\n"
                                    "[meta]\ndir = \"%2/meta\"\n"
                                    "[data]\ndir = \"%2/data\"\nwal-dir = \"%2/wal\"\n"
                                    "[http]\nbind-address = \"127.0.0.1:%3\"\n"
                                    "[monitor]\nstore-enabled = false\n")
                         .arg(freePort())
                         .arg(influxd.dir.path())
                         .arg(port)
                         .toUtf8());
        config.close();
        influxd.start(program("influxd"), {"-config", config.fileName()});
        const QUrl base(QStringLiteral("http://127.0.0.1:%1").arg(port));
        QTRY_COMPARE_WITH_TIMEOUT(request("GET", base.resolved(QUrl("/ping"))).status, 204,
                                  kStartMs);
        QCOMPARE(
            request("POST", base.resolved(QUrl("/query")), "q=CREATE%20DATABASE%20survey").status,
            200);
        const Answer write = request("POST", base.resolved(QUrl("/write?db=survey")), written);
        QVERIFY2(write.status == 204, write.body.constData());

        QCOMPARE(influxValue(port, "SELECT count(dbm) FROM kvt318").toInt(), written.count('\n'));
        QCOMPARE(influxValue(port, "SELECT count(dbm) FROM kvt318 WHERE site='North Hill, "
                                   "mast=2' AND channel='46' AND port='" +
                                       QFileInfo(sim.devicePath()).fileName() + "'")
                     .toInt(),
                 2);
        for (const auto &[channel, dbm] : QList<QPair<int, int>>{{12, -60}, {33, -85}}) {
            const QJsonValue max = influxValue(
                port,
                QStringLiteral("SELECT max(dbm) FROM kvt318 WHERE channel='%1'").arg(channel));
            QVERIFY2(qAbs(max.toInt() - dbm) <= 6, qPrintable(QString::number(max.toInt())));
        }
    }

    void prometheusScrapesTheScanner()
    {
        if (program("prometheus").isEmpty() || program("promtool").isEmpty()) {
            QSKIP("prometheus is not installed (Debian package prometheus)");
        }
        SimProcess sim;
        QVERIFY(sim.start(args("--jitter 1 --mode 04 --carrier 30:-70")));
        const quint16 metricsPort = freePort();
        QProcess scan;
        scan.start(
            qEnvironmentVariable("KVT318_SCAN"),
            {"-q", "--metrics", QString::number(metricsPort), "-o", "/dev/null", sim.devicePath()});
        const QUrl metrics(QStringLiteral("http://127.0.0.1:%1/metrics").arg(metricsPort));
        QTRY_VERIFY_WITH_TIMEOUT(request("GET", metrics).body.contains("kvt318_up 1"), kStartMs);

        QProcess promtool;
        promtool.start(program("promtool"), {"check", "metrics"});
        promtool.write(request("GET", metrics).body);
        promtool.closeWriteChannel();
        QVERIFY(promtool.waitForFinished(kFinishMs));
        QVERIFY2(promtool.exitCode() == 0, promtool.readAll().constData());

        Reader prometheus;
        const quint16 port = freePort();
        QFile config(prometheus.path(QStringLiteral("prometheus.yml")));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write(QStringLiteral("global:\n  scrape_interval: 1s\n"
                                    "scrape_configs:\n  - job_name: kvt318\n"
                                    "    static_configs:\n      - targets: ['127.0.0.1:%1']\n")
                         .arg(metricsPort)
                         .toUtf8());
        config.close();
        prometheus.start(program("prometheus"),
                         {"--config.file=" + config.fileName(),
                          "--storage.tsdb.path=" + prometheus.path(QStringLiteral("data")),
                          QStringLiteral("--web.listen-address=127.0.0.1:%1").arg(port)});
        QUrl query(QStringLiteral("http://127.0.0.1:%1/api/v1/query").arg(port));
        query.setQuery(QUrlQuery{{"query", "kvt318_sweeps_total{job=\"kvt318\"}"}});
        const auto sweeps = [&query] {
            const QJsonDocument answer = QJsonDocument::fromJson(request("GET", query).body);
            return answer["data"]["result"][0]["value"][1].toString().toInt();
        };
        QTRY_VERIFY_WITH_TIMEOUT(sweeps() > 0, kStartMs);

        ::kill(static_cast<pid_t>(scan.processId()), SIGINT);
        QVERIFY(scan.waitForFinished(kFinishMs));
        QCOMPARE(scan.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestReaders)
#include "tst_readers.moc"
