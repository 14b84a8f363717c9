// kvt318-scan publishing to a mosquitto broker of the test's own, against the module simulator.
#include "mqttbroker.h"
#include "mqttsubscriber.h"
#include "simprocess.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QtTest>

#include <csignal>
#include <numeric>

namespace {
constexpr int kWaitMs = 90'000; // a Debug build on two shared cores, and other work
const QStringList kSimOptions = {"--baud", "0",         "--mode", "04",        "--jitter",
                                 "0",      "--carrier", "12:-70", "--carrier", "30:-85"};

QJsonObject json(const QByteArray &payload)
{
    return QJsonDocument::fromJson(payload).object();
}

// A CSV recording of sweeps 20 ms apart, as kvt318-scan writes one.
bool writeRecording(const QString &path, int sweeps)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    QByteArray text = "time,sweep";
    for (int channel = 7; channel <= 46; ++channel) {
        text += ",ch" + QByteArray::number(channel);
    }
    for (int n = 0; n < sweeps; ++n) {
        const auto time = QDateTime::fromMSecsSinceEpoch(1796628600000 + n * 20, Qt::UTC);
        text += '\n' + time.toString("yyyy-MM-ddTHH:mm:ss.zzz").toLatin1() + "Z," +
                QByteArray::number(n + 1) + QByteArray(",-90").repeated(40);
    }
    return file.write(text + '\n') > 0;
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
    void twoReceiversShareTheBroker();
    void brokerComesAndGoes();
    void publishesAlarms();
    void replayDeliversEverySweep_data();
    void replayDeliversEverySweep();
    void badBrokerSettings_data();
    void badBrokerSettings();
};

// Sweeps in order with the simulator's carriers under the default prefix, which names the
// receiver, as every payload does; what the scanner is on PREFIX/info; "online" while it runs,
// and the last will "offline" once it is killed.
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

    // A terminal has no USB serial number: the receiver is named after its base name.
    const QString receiver = QFileInfo(sim.devicePath()).fileName();
    const QByteArray prefix = "kvt318/" + receiver.toUtf8();
    QTRY_VERIFY_WITH_TIMEOUT(subscriber.payloads(prefix + "/sweep").size() >= 5, kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(!subscriber.last(prefix + "/stats").isEmpty(), kWaitMs);
    QCOMPARE(subscriber.payloads(prefix + "/status").value(0), "online");
    const QList<QByteArray> sweeps = subscriber.payloads(prefix + "/sweep");
    for (int i = 0; i < sweeps.size(); ++i) {
        const QJsonObject sweep = json(sweeps[i]);
        QCOMPARE(sweep.value(QStringLiteral("sweep")).toInt(), i + 1);
        QCOMPARE(sweep.value(QStringLiteral("mode")).toString(), "AirMonitor");
        QCOMPARE(sweep.value(QStringLiteral("receiver")).toString(), receiver);
        const QJsonArray dbm = sweep.value(QStringLiteral("dbm")).toArray();
        QCOMPARE(dbm.size(), 40);
        QCOMPARE(dbm.at(5).toInt(), -70);  // channel 12
        QCOMPARE(dbm.at(23).toInt(), -85); // channel 30
        QCOMPARE(dbm.at(0).toInt(), -120);
    }
    QCOMPARE(json(subscriber.last(prefix + "/stats")).value(QStringLiteral("dropped")), 0);
    QCOMPARE(json(subscriber.last(prefix + "/stats")).value(QStringLiteral("receiver")), receiver);
    const QJsonObject info = json(subscriber.last(prefix + "/info"));
    QCOMPARE(info.value(QStringLiteral("receiver")).toString(), receiver);
    QCOMPARE(info.value(QStringLiteral("model")).toString(), "KVT-318M");
    QCOMPARE(info.value(QStringLiteral("firmware")).toString(), "Ver1.00");
    QCOMPARE(info.value(QStringLiteral("mode")).toString(), "Air Monitor");
    QCOMPARE(info.value(QStringLiteral("port")).toString(), sim.devicePath());
    // The rate follows with the statistics once the sweep has run a while.
    QTRY_VERIFY_WITH_TIMEOUT(json(subscriber.last(prefix + "/info"))["sweeps_per_s"].toDouble() > 0,
                             kWaitMs);

    scan.signal(SIGKILL);
    QVERIFY(scan.finish());
    QTRY_COMPARE_WITH_TIMEOUT(subscriber.last(prefix + "/status"), "offline", kWaitMs);

    // Retained: a subscriber arriving later learns the status and the statistics, but no sweep.
    MqttSubscriber late(broker.port(), QString::fromUtf8(prefix + "/#"));
    QTRY_COMPARE_WITH_TIMEOUT(late.last(prefix + "/status"), "offline", kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(!late.last(prefix + "/stats").isEmpty(), kWaitMs);
    QCOMPARE(late.payloads(prefix + "/sweep"), QList<QByteArray>());
}

// Two receivers on one broker, each under its own name: neither throws the other off (it would
// say it lost the broker and come online again), and each file is named after its receiver.
void TestMqttScan::twoReceiversShareTheBroker()
{
    MqttBroker broker;
    QVERIFY2(broker.start(), qPrintable(broker.output()));
    MqttSubscriber subscriber(broker.port(), QStringLiteral("kvt318/#"));
    QTRY_VERIFY_WITH_TIMEOUT(subscriber.isSubscribed(), kWaitMs);
    SimProcess sims[2];
    Scan scans[2];
    const QString names[2] = {QStringLiteral("north-1"), QStringLiteral("north-2")};
    for (int i = 0; i < 2; ++i) {
        QVERIFY(sims[i].start(kSimOptions));
        scans[i].start(broker, sims[i].devicePath(),
                       {"--name", names[i], "-o", scans[i].dir.filePath("%r.jsonl")});
    }
    for (const QString &name : names) {
        QTRY_VERIFY_WITH_TIMEOUT(
            subscriber.payloads("kvt318/" + name.toUtf8() + "/sweep").size() >= 50, kWaitMs);
    }
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(subscriber.payloads("kvt318/" + names[i].toUtf8() + "/status"),
                 QList<QByteArray>{"online"});
        scans[i].signal(SIGTERM);
        QVERIFY(scans[i].finish());
        QCOMPARE(scans[i].process.exitCode(), 0);
        const QByteArray said = scans[i].process.readAllStandardError();
        QVERIFY2(!said.contains("retrying"), said.constData());
        QVERIFY(QFile::exists(scans[i].dir.filePath(names[i] + ".jsonl")));
    }
}

// No broker at the start: the scanner tries again after 1, 2 and 4 s, keeps the newest sweeps
// and sends them once the broker is there. Then the broker restarts mid-run: the scanner keeps
// recording, and every recorded sweep arrives, in order, or is counted as dropped.
void TestMqttScan::brokerComesAndGoes()
{
    MqttBroker broker;
    QVERIFY2(broker.start(), qPrintable(broker.output()));
    broker.stop();
    // Until the broker is there, its port takes each connection and hangs up.
    QTcpServer away;
    QVERIFY(away.listen(QHostAddress::LocalHost, static_cast<quint16>(broker.port())));
    QElapsedTimer clock;
    clock.start();
    QList<qint64> attempts;
    QObject::connect(&away, &QTcpServer::newConnection, &away, [&] {
        attempts.append(clock.elapsed());
        delete away.nextPendingConnection();
    });
    SimProcess sim;
    // At the wire's own pace: a few sweeps a second, not hundreds.
    QVERIFY(sim.start(QStringList{"--baud", "19200"} + kSimOptions.mid(2)));
    Scan scan;
    scan.start(broker, sim.devicePath(), {"--mqtt-topic", "site/a", "--mqtt-queue", "5"});
    QTRY_VERIFY_WITH_TIMEOUT(attempts.size() >= 4, kWaitMs);
    for (int n = 1; n < 4; ++n) {
        const qint64 delay = attempts[n] - attempts[n - 1];
        const qint64 doubled = 1000 << (n - 1);
        QVERIFY2(delay > doubled * 7 / 8 && delay < doubled * 8 / 5,
                 qPrintable(QString::number(delay)));
    }
    away.close();
    QVERIFY2(broker.start(), qPrintable(broker.output()));
    MqttSubscriber subscriber(broker.port(), QStringLiteral("site/a/#"));
    QTRY_VERIFY_WITH_TIMEOUT(subscriber.payloads("site/a/sweep").size() >= 6, kWaitMs);
    const auto number = [](const QByteArray &sweep) {
        return json(sweep).value(QStringLiteral("sweep")).toInt();
    };
    const int first = number(subscriber.payloads("site/a/sweep").constFirst());
    QVERIFY2(first > 5, qPrintable(QString::number(first)));
    for (int n = 0; n < 6; ++n) {
        QCOMPARE(number(subscriber.payloads("site/a/sweep").at(n)), first + n);
    }

    broker.stop();
    const qsizetype recordedAtStop = recordedSweeps(scan.output());
    QTRY_VERIFY_WITH_TIMEOUT(recordedSweeps(scan.output()) > recordedAtStop + 10, kWaitMs);
    QVERIFY2(broker.start(), qPrintable(broker.output()));
    const qsizetype recordedAtRestart = recordedSweeps(scan.output());
    QTRY_VERIFY_WITH_TIMEOUT(number(subscriber.last("site/a/sweep")) > recordedAtRestart, kWaitMs);
    scan.signal(SIGTERM);
    QVERIFY(scan.finish());
    QCOMPARE(scan.process.exitCode(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(subscriber.last("site/a/status"), "offline", kWaitMs);

    QSet<int> arrived;
    int previous = 0;
    for (const QByteArray &sweep : subscriber.payloads("site/a/sweep")) {
        if (arrived.contains(number(sweep))) {
            continue; // at least once: a sweep in flight when the broker went is sent again
        }
        QVERIFY2(number(sweep) > previous, sweep.constData());
        previous = number(sweep);
        arrived.insert(previous);
    }
    const QJsonObject stats = json(subscriber.last("site/a/stats"));
    const int dropped = stats.value(QStringLiteral("dropped")).toInt();
    QVERIFY(dropped > first - 1);
    QCOMPARE(arrived.size() + dropped, recordedSweeps(scan.output()));
    QCOMPARE(stats.value(QStringLiteral("sweeps")).toInt(), recordedSweeps(scan.output()));
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

// Where a live run drops, a replay has time and waits: with a queue of two sweeps it hands each
// on only once there is room, and while the broker is away it waits for it, told as in a live
// run, and then goes on. Every sweep arrives, in order, none counted as dropped. An interrupt
// still ends a replay that waits, with the sweeps handed on so far delivered.
void TestMqttScan::replayDeliversEverySweep_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("brokerAway");
    QTest::addColumn<bool>("interrupted");
    QTest::newRow("as fast as it reads") << QStringList{} << false << false;
    QTest::newRow("the broker away a while") << QStringList{"--realtime"} << true << false;
    QTest::newRow("interrupted while it waits") << QStringList{"--realtime"} << true << true;
}

void TestMqttScan::replayDeliversEverySweep()
{
    QFETCH(QStringList, options);
    QFETCH(bool, brokerAway);
    QFETCH(bool, interrupted);
    constexpr int kSweeps = 300;
    MqttBroker broker;
    QVERIFY2(broker.start(), qPrintable(broker.output()));
    MqttSubscriber subscriber(broker.port(), QStringLiteral("replay/#"));
    QTRY_VERIFY_WITH_TIMEOUT(subscriber.isSubscribed(), kWaitMs);
    QTemporaryDir dir;
    const QString recording = dir.filePath(QStringLiteral("in.csv"));
    QVERIFY(writeRecording(recording, kSweeps));
    QProcess replay;
    replay.start(qEnvironmentVariable("KVT318_SCAN"),
                 QStringList{"-q", "--replay", recording, "--mqtt", broker.url(), "--mqtt-topic",
                             "replay", "--mqtt-queue", "2"} +
                     options);
    QByteArray said;
    if (brokerAway) {
        QTRY_VERIFY_WITH_TIMEOUT(subscriber.payloads("replay/sweep").size() >= 10, kWaitMs);
        broker.stop();
        QTRY_VERIFY_WITH_TIMEOUT(
            (said += replay.readAllStandardError()).contains("sweeps wait for it, retrying\n"),
            kWaitMs);
        QVERIFY2(replay.state() == QProcess::Running, said.constData());
        if (interrupted) {
            ::kill(static_cast<pid_t>(replay.processId()), SIGINT);
        } else {
            QVERIFY2(broker.start(), qPrintable(broker.output()));
        }
    }
    QVERIFY(replay.waitForFinished(kWaitMs));
    said += replay.readAllStandardError();
    QCOMPARE(replay.exitCode(), 0);
    QCOMPARE(said.contains("the broker: publishing again\n"), brokerAway && !interrupted);

    if (!interrupted) {
        // The subscriber takes the last ones in its own time.
        QTRY_VERIFY_WITH_TIMEOUT(subscriber.payloads("replay/sweep").size() >= kSweeps, kWaitMs);
    }
    QList<int> arrived;
    for (const QByteArray &sweep : subscriber.payloads("replay/sweep")) {
        const int number = json(sweep).value(QStringLiteral("sweep")).toInt();
        // A csv recording does not say in which mode it was measured.
        QVERIFY(json(sweep).contains(QStringLiteral("mode")) && json(sweep)["mode"].isNull());
        if (!arrived.contains(number)) { // at least once: one in flight may come again
            arrived.append(number);
        }
    }
    QList<int> all(interrupted ? arrived.size() : kSweeps);
    std::iota(all.begin(), all.end(), 1);
    QCOMPARE(arrived, all);
    if (interrupted) {
        QVERIFY(arrived.size() < kSweeps);
        return;
    }
    QTRY_COMPARE_WITH_TIMEOUT(subscriber.last("replay/status"), "offline", kWaitMs);
    // A recording without receivers names it after the file; a replay has no port.
    QCOMPARE(json(subscriber.last("replay/info")).value(QStringLiteral("receiver")), "in");
    QVERIFY(json(subscriber.last("replay/info")).value(QStringLiteral("port")).isNull());
    const QJsonObject stats = json(subscriber.last("replay/stats"));
    QCOMPARE(stats.value(QStringLiteral("sweeps")).toInt(), kSweeps);
    QCOMPARE(stats.value(QStringLiteral("dropped")).toInt(), 0);
    // Each channel's occupancy inside its interval.
    for (const QJsonValue &value : stats.value(QStringLiteral("channels")).toArray()) {
        const QJsonObject channel = value.toObject();
        const double occupancy = channel.value(QStringLiteral("occupancy_pct")).toDouble(-1);
        QVERIFY(channel.value(QStringLiteral("occupancy_low_pct")).toDouble(101) <= occupancy);
        QVERIFY(occupancy <= channel.value(QStringLiteral("occupancy_high_pct")).toDouble(-1));
    }
}

void TestMqttScan::badBrokerSettings_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    const auto row = [](const char *name, const QStringList &options, int exitCode,
                        const char *message) {
        QTest::newRow(name) << options << exitCode << message;
    };

    row("wrong password", {"--mqtt-user", "site7", "--mqtt-password-file", "@wrong"}, 6,
        "refused the connection: Connection Refused");
    row("no login", {}, 6, "refused the connection");
    row("unreadable password file", {"--mqtt-user", "site7", "--mqtt-password-file", "@missing"}, 2,
        "cannot read");
    row("mqtt:// on port 1883", {"--mqtt", "mqtt://127.0.0.1", "-n", "1"}, 0,
        "broker 127.0.0.1:1883: ");
    row("mqtts:// on port 8883", {"--mqtt", "mqtts://127.0.0.1", "-n", "1"}, 0,
        "broker 127.0.0.1:8883: ");
    row("password in the URL", {"--mqtt", "mqtt://site7:pw@127.0.0.1"}, 2, "bad broker URL");
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
