#include "mqttbroker.h"
#include "mqttsubscriber.h"

#include "protocol/reading.h"
#include "record/channelstatistics.h"
#include "record/sweeprecord.h"
#include "scan/mqttoptions.h"
#include "scan/mqttpublisher.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {
constexpr int kWaitMs = 20000;
constexpr qint64 kSweepTime = 1796628600123; // 2026-12-07T07:30:00.123Z
const QByteArray kPrefix = QByteArrayLiteral("kvt318/site/ttyUSB0");

// Sweep n has a carrier of -50 dBm on channel index n % 40 over a floor of -120 dBm.
SweepRecord sweep(qint64 n)
{
    SweepRecord record;
    record.utcMs = kSweepTime;
    record.sweep = n;
    record.dbm.fill(-120);
    record.dbm[static_cast<std::size_t>(n % MonitorState::kChannelCount)] = -50;
    return record;
}

QJsonObject json(const QByteArray &payload)
{
    return QJsonDocument::fromJson(payload).object();
}

QByteArray lastPayload(const MqttSubscriber &subscriber, const QByteArray &topic)
{
    const QList<QByteArray> payloads = subscriber.payloads(kPrefix + topic);
    return payloads.isEmpty() ? QByteArray() : payloads.constLast();
}

QList<int> sweepNumbers(const MqttSubscriber &subscriber)
{
    QList<int> numbers;
    const QList<QByteArray> payloads = subscriber.payloads(kPrefix + "/sweep");
    for (const QByteArray &payload : payloads) {
        numbers.append(json(payload).value(QStringLiteral("sweep")).toInt());
    }
    return numbers;
}

MqttSettings settingsFor(const MqttBroker &broker, int queueLimit = 1000)
{
    MqttSettings settings;
    settings.broker = {QStringLiteral("127.0.0.1"), broker.port(), false};
    settings.topicPrefix = QString::fromLatin1(kPrefix);
    settings.queueLimit = queueLimit;
    settings.statsInterval = std::chrono::seconds(1);
    return settings;
}
} // namespace

class TestMqttPublisher : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void publishesSweepsStatsAndStatus();
    void brokerAway_data();
    void brokerAway();
    void login_data();
    void login();
};

void TestMqttPublisher::publishesSweepsStatsAndStatus()
{
    MqttBroker broker;
    QVERIFY2(broker.start(), qPrintable(broker.output()));
    MqttSubscriber subscriber(broker.port(), QStringLiteral("kvt318/#"));
    QTRY_VERIFY_WITH_TIMEOUT(subscriber.isSubscribed(), kWaitMs);

    ChannelStatistics statistics;
    statistics.addReading({0, -50, kSweepTime, RadioMode::Fsk});
    statistics.addReading({0, -110, kSweepTime + 1000, RadioMode::Fsk});
    MqttPublisher publisher(settingsFor(broker), statistics);
    QSignalSpy connected(&publisher, &MqttPublisher::connected);
    QVERIFY(connected.wait(kWaitMs));
    for (qint64 n = 1; n <= 3; ++n) {
        QVERIFY(publisher.writeSweep(sweep(n)));
    }

    QTRY_COMPARE_WITH_TIMEOUT(sweepNumbers(subscriber), (QList<int>{1, 2, 3}), kWaitMs);
    const QJsonObject first = json(subscriber.payloads(kPrefix + "/sweep").constFirst());
    QCOMPARE(first.value(QStringLiteral("time")).toString(), "2026-12-07T07:30:00.123Z");
    QCOMPARE(first.value(QStringLiteral("mode")).toString(), "FSK");
    const QJsonArray dbm = first.value(QStringLiteral("dbm")).toArray();
    QCOMPARE(dbm.size(), 40);
    QCOMPARE(dbm.at(1).toInt(), -50);
    QCOMPARE(dbm.at(2).toInt(), -120);

    QTRY_VERIFY_WITH_TIMEOUT(!lastPayload(subscriber, "/stats").isEmpty(), kWaitMs);
    const QJsonObject stats = json(lastPayload(subscriber, "/stats"));
    QCOMPARE(stats.value(QStringLiteral("dropped")).toInt(), 0);
    QCOMPARE(stats.value(QStringLiteral("threshold")).toInt(), -100);
    const QJsonArray channels = stats.value(QStringLiteral("channels")).toArray();
    QCOMPARE(channels.size(), 40);
    const QJsonObject channel7 = channels.at(0).toObject();
    QCOMPARE(channel7.value(QStringLiteral("channel")).toInt(), 7);
    QCOMPARE(channel7.value(QStringLiteral("samples")).toInt(), 2);
    QCOMPARE(channel7.value(QStringLiteral("max")).toInt(), -50);
    QCOMPARE(channel7.value(QStringLiteral("occupancy_pct")).toDouble(), 50.0);
    QCOMPARE(channel7.value(QStringLiteral("last_above")).toString(), "2026-12-07T07:30:00.123Z");
    QVERIFY(channels.at(1).toObject().value(QStringLiteral("min")).isNull());

    publisher.finish();
    QTRY_COMPARE_WITH_TIMEOUT(subscriber.payloads(kPrefix + "/status"),
                              (QList<QByteArray>{"online", "offline"}), kWaitMs);
    QCOMPARE(json(lastPayload(subscriber, "/stats")).value(QStringLiteral("sweeps")).toInt(), 3);
}

void TestMqttPublisher::brokerAway_data()
{
    QTest::addColumn<bool>("connectedBefore");
    QTest::addColumn<int>("queueLimit");
    QTest::addColumn<int>("sweepsWhileAway");
    QTest::addColumn<int>("dropped");
    QTest::addColumn<QList<int>>("delivered");

    QTest::newRow("down at start, all fit") << false << 1000 << 4 << 0 << QList<int>{1, 2, 3, 4};
    QTest::newRow("down at start, oldest dropped") << false << 3 << 7 << 4 << QList<int>{5, 6, 7};
    QTest::newRow("lost mid-run, oldest dropped") << true << 2 << 5 << 3 << QList<int>{4, 5};
    QTest::newRow("lost mid-run, queue of one") << true << 1 << 3 << 2 << QList<int>{3};
}

// The broker away at the start or lost mid-run: the writes never fail, the queue keeps the
// newest sweeps, and once the broker is back they arrive in order with the dropped count.
void TestMqttPublisher::brokerAway()
{
    QFETCH(bool, connectedBefore);
    QFETCH(int, queueLimit);
    QFETCH(int, sweepsWhileAway);
    QFETCH(int, dropped);
    QFETCH(QList<int>, delivered);

    MqttBroker broker;
    QVERIFY2(broker.start(), qPrintable(broker.output()));
    MqttSubscriber subscriber(broker.port(), QStringLiteral("kvt318/#"));
    QTRY_VERIFY_WITH_TIMEOUT(subscriber.isSubscribed(), kWaitMs);

    ChannelStatistics statistics;
    std::unique_ptr<MqttPublisher> publisher;
    if (connectedBefore) {
        publisher = std::make_unique<MqttPublisher>(settingsFor(broker, queueLimit), statistics);
        QSignalSpy connected(publisher.get(), &MqttPublisher::connected);
        QVERIFY(connected.wait(kWaitMs));
        broker.stop();
    } else {
        broker.stop();
        publisher = std::make_unique<MqttPublisher>(settingsFor(broker, queueLimit), statistics);
    }
    QSignalSpy lost(publisher.get(), &MqttPublisher::connectionLost);
    QSignalSpy refused(publisher.get(), &MqttPublisher::refused);
    QVERIFY(lost.wait(kWaitMs));

    for (int n = 1; n <= sweepsWhileAway; ++n) {
        QVERIFY(publisher->writeSweep(sweep(n)));
    }
    QCOMPARE(publisher->droppedSweeps(), dropped);

    QVERIFY2(broker.start(), qPrintable(broker.output()));
    QTRY_COMPARE_WITH_TIMEOUT(sweepNumbers(subscriber), delivered, kWaitMs);
    QCOMPARE(refused.count(), 0);
    publisher->finish();
    // The final statistics go out before "offline".
    QTRY_COMPARE_WITH_TIMEOUT(lastPayload(subscriber, "/status"), "offline", kWaitMs);
    QCOMPARE(json(lastPayload(subscriber, "/stats")).value(QStringLiteral("dropped")).toInt(),
             dropped);
}

void TestMqttPublisher::login_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("right password") << "site7" << QByteArray("s3cret pass") << true;
    QTest::newRow("wrong password") << "site7" << QByteArray("s3cret") << false;
    QTest::newRow("unknown user") << "site8" << QByteArray("s3cret pass") << false;
    QTest::newRow("no login") << QString() << QByteArray() << false;
}

void TestMqttPublisher::login()
{
    QFETCH(QString, user);
    QFETCH(QByteArray, password);
    QFETCH(bool, accepted);

    MqttBroker broker;
    broker.requireLogin(QStringLiteral("site7"), QStringLiteral("s3cret pass"));
    QVERIFY2(broker.start(), qPrintable(broker.output()));
    MqttSettings settings = settingsFor(broker);
    settings.user = user;
    settings.password = password;
    ChannelStatistics statistics;
    MqttPublisher publisher(settings, statistics);
    QSignalSpy connected(&publisher, &MqttPublisher::connected);
    QSignalSpy refused(&publisher, &MqttPublisher::refused);

    QTRY_COMPARE_WITH_TIMEOUT(connected.count() + refused.count(), 1, kWaitMs);
    QCOMPARE(connected.count(), accepted ? 1 : 0);
    if (!accepted) {
        QVERIFY2(refused.constFirst().constFirst().toString().contains(
                     QLatin1String("Connection Refused")),
                 qPrintable(refused.constFirst().constFirst().toString()));
    }
}

QTEST_MAIN(TestMqttPublisher)
#include "tst_mqttpublisher.moc"
