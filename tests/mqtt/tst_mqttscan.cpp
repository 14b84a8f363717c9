// kvt318-scan publishing to a mosquitto broker of the test's own, against the module simulator.
#include "mqttbroker.h"
#include "mqttsubscriber.h"
#include "simprocess.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSysInfo>
#include <QtTest>

#include <csignal>

namespace {
constexpr int kWaitMs = 30'000; // a Debug build on two shared cores
const QStringList kSimOptions = {"--baud", "0",         "--mode", "04",        "--jitter",
                                 "0",      "--carrier", "12:-70", "--carrier", "30:-85"};

QJsonObject json(const QByteArray &payload)
{
    return QJsonDocument::fromJson(payload).object();
}

qsizetype recordedSweeps(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().count('\n') : 0;
}

// kvt318-scan recording JSON Lines into a scratch folder and publishing to the broker.
struct Scan
{
    QTemporaryDir dir;
    QProcess process;

    QString output() const { return dir.filePath(QStringLiteral("out.jsonl")); }
    void start(const MqttBroker &broker, const QString &port, const QStringList &options)
    {
        process.start(
            qEnvironmentVariable("KVT318_SCAN"),
            QStringList{"-q", "--format", "jsonl", "-o", output(), "--mqtt", broker.url()} +
                options + QStringList{port});
    }
    bool finish() { return process.waitForFinished(kWaitMs); }
    void signal(int number) { ::kill(static_cast<pid_t>(process.processId()), number); }
};
} // namespace

class TestMqttScan : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void publishesSweepsUntilKilled();
    void survivesBrokerRestart();
    void publishesAlarms();
    void badBrokerSettings_data();
    void badBrokerSettings();
};

// Sweeps in order with the simulator's carriers under the default prefix, "online" while it
// runs, and the last will "offline" once it is killed.
void TestMqttScan::publishesSweepsUntilKilled()
{
    MqttBroker broker;
    QVERIFY2(broker.start(), qPrintable(broker.output()));
    MqttSubscriber subscriber(broker.port(), QStringLiteral("kvt318/#"));
    QTRY_VERIFY_WITH_TIMEOUT(subscriber.isSubscribed(), kWaitMs);
    SimProcess sim;
    QVERIFY(sim.start(kSimOptions));
    Scan scan;
    scan.start(broker, sim.devicePath(), {"--mqtt-stats-interval", "1"});

    const QByteArray prefix = "kvt318/" + QSysInfo::machineHostName().toUtf8() + '/' +
                              QFileInfo(sim.devicePath()).fileName().toUtf8();
    QTRY_VERIFY_WITH_TIMEOUT(subscriber.payloads(prefix + "/sweep").size() >= 5, kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(!subscriber.last(prefix + "/stats").isEmpty(), kWaitMs);
    QCOMPARE(subscriber.payloads(prefix + "/status").value(0), "online");
    const QList<QByteArray> sweeps = subscriber.payloads(prefix + "/sweep");
    for (int i = 0; i < sweeps.size(); ++i) {
        const QJsonObject sweep = json(sweeps[i]);
        QCOMPARE(sweep.value(QStringLiteral("sweep")).toInt(), i + 1);
        const QJsonArray dbm = sweep.value(QStringLiteral("dbm")).toArray();
        QCOMPARE(dbm.size(), 40);
        QCOMPARE(dbm.at(5).toInt(), -70);  // channel 12
        QCOMPARE(dbm.at(23).toInt(), -85); // channel 30
        QCOMPARE(dbm.at(0).toInt(), -120);
    }
    QCOMPARE(json(subscriber.last(prefix + "/stats")).value(QStringLiteral("dropped")), 0);

    scan.signal(SIGKILL);
    QVERIFY(scan.finish());
    QTRY_COMPARE_WITH_TIMEOUT(subscriber.last(prefix + "/status"), "offline", kWaitMs);
}

// The broker stopped mid-run: the scanner keeps recording, keeps the newest sweeps, publishes
// them once the broker is back, and counts the others as dropped.
void TestMqttScan::survivesBrokerRestart()
{
    MqttBroker broker;
    QVERIFY2(broker.start(), qPrintable(broker.output()));
    MqttSubscriber subscriber(broker.port(), QStringLiteral("site/#"));
    QTRY_VERIFY_WITH_TIMEOUT(subscriber.isSubscribed(), kWaitMs);
    SimProcess sim;
    QVERIFY(sim.start(kSimOptions));
    Scan scan;
    scan.start(broker, sim.devicePath(), {"--mqtt-topic", "site/a", "--mqtt-queue", "5"});
    QTRY_VERIFY_WITH_TIMEOUT(!subscriber.payloads("site/a/sweep").isEmpty(), kWaitMs);

    broker.stop();
    const qsizetype recordedAtStop = recordedSweeps(scan.output());
    QTRY_VERIFY_WITH_TIMEOUT(recordedSweeps(scan.output()) > recordedAtStop + 20, kWaitMs);
    QVERIFY2(broker.start(), qPrintable(broker.output()));
    const qsizetype recordedAtRestart = recordedSweeps(scan.output());
    QTRY_VERIFY_WITH_TIMEOUT(
        json(subscriber.last("site/a/sweep")).value(QStringLiteral("sweep")).toInt() >
            recordedAtRestart,
        kWaitMs);
    scan.signal(SIGTERM);
    QVERIFY(scan.finish());
    QCOMPARE(scan.process.exitCode(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(subscriber.last("site/a/status"), "offline", kWaitMs);

    // Every recorded sweep arrived, in order, or is counted as dropped.
    QSet<int> arrived;
    int previous = 0;
    const QList<QByteArray> sweeps = subscriber.payloads("site/a/sweep");
    for (const QByteArray &payload : sweeps) {
        const int number = json(payload).value(QStringLiteral("sweep")).toInt();
        if (arrived.contains(number)) {
            continue; // at least once: a sweep sent again after the reconnect
        }
        QVERIFY2(number > previous, qPrintable(QString::number(number)));
        previous = number;
        arrived.insert(number);
    }
    const int dropped =
        json(subscriber.last("site/a/stats")).value(QStringLiteral("dropped")).toInt();
    QVERIFY(dropped >= 15);
    QCOMPARE(arrived.size() + dropped, recordedSweeps(scan.output()));
}

// Each alarm event as it happens, and the list of raised alarms kept on the broker: the
// carrier's channel while it runs, none once the run has ended it.
void TestMqttScan::publishesAlarms()
{
    MqttBroker broker;
    QVERIFY2(broker.start(), qPrintable(broker.output()));
    MqttSubscriber subscriber(broker.port(), QStringLiteral("site/#"));
    QTRY_VERIFY_WITH_TIMEOUT(subscriber.isSubscribed(), kWaitMs);
    SimProcess sim;
    QVERIFY(sim.start(kSimOptions));
    Scan scan;
    scan.start(
        broker, sim.devicePath(),
        {"--mqtt-topic", "site/a", "--alarm", "ch=30,above=-90", "--alarm", "ch=7-9,above=-90"});
    QTRY_VERIFY_WITH_TIMEOUT(!subscriber.payloads("site/a/alarm").isEmpty(), kWaitMs);
    const QJsonObject raised = json(subscriber.payloads("site/a/alarm").first());
    QCOMPARE(raised.value(QStringLiteral("event")).toString(), "raised");
    QCOMPARE(raised.value(QStringLiteral("channel")).toInt(), 30);
    QCOMPARE(raised.value(QStringLiteral("dbm")).toInt(), -85);
    QTRY_VERIFY_WITH_TIMEOUT(subscriber.last("site/a/alarm/active").contains("\"channel\":30"),
                             kWaitMs);
    QCOMPARE(subscriber.payloads("site/a/alarm/active").first(), "[]");
    QCOMPARE(QJsonDocument::fromJson(subscriber.last("site/a/alarm/active")).array().size(), 1);

    scan.signal(SIGINT);
    QVERIFY(scan.finish());
    QTRY_COMPARE_WITH_TIMEOUT(subscriber.last("site/a/alarm/active"), "[]", kWaitMs);
    const QJsonObject ended = json(subscriber.last("site/a/alarm"));
    QCOMPARE(ended.value(QStringLiteral("event")).toString(), "ended");
    QCOMPARE(ended.value(QStringLiteral("reason")).toString(), "the run stopped");
    QCOMPARE(subscriber.payloads("site/a/alarm").size(), 2);
}

void TestMqttScan::badBrokerSettings_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    QTest::newRow("wrong password")
        << QStringList{"--mqtt-user", "site7", "--mqtt-password-file", "@wrong"} << 6
        << "refused the connection: Connection Refused";
    QTest::newRow("no login") << QStringList{} << 6 << "refused the connection";
    QTest::newRow("unreadable password file")
        << QStringList{"--mqtt-user", "site7", "--mqtt-password-file", "@missing"} << 2
        << "cannot read";
    QTest::newRow("password in the URL")
        << QStringList{"--mqtt", "mqtt://site7:pw@127.0.0.1"} << 2 << "bad broker URL";
}

void TestMqttScan::badBrokerSettings()
{
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QString, message);

    MqttBroker broker;
    broker.requireLogin(QStringLiteral("site7"), QStringLiteral("right one"));
    QVERIFY2(broker.start(), qPrintable(broker.output()));
    SimProcess sim;
    QVERIFY(sim.start(kSimOptions));
    Scan scan;
    QFile wrong(scan.dir.filePath(QStringLiteral("wrong")));
    QVERIFY(wrong.open(QIODevice::WriteOnly) && wrong.write("right one?\n") > 0);
    wrong.close();
    for (QString &option : options) {
        if (option.startsWith(QLatin1Char('@'))) {
            option = scan.dir.filePath(option.mid(1));
        }
    }
    scan.start(broker, sim.devicePath(), options);
    QVERIFY(scan.finish());
    QCOMPARE(scan.process.exitCode(), exitCode);
    const QByteArray errors = scan.process.readAllStandardError();
    QVERIFY2(errors.startsWith("kvt318-scan: ") && errors.contains(message.toUtf8()),
             errors.constData());
}

QTEST_MAIN(TestMqttScan)
#include "tst_mqttscan.moc"
