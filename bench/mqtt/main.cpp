// Sweeps published per second and bytes per sweep on the wire, against a local mosquitto: the
// publisher alone with synthetic sweeps, then kvt318-scan against the unpaced simulator with and
// without --mqtt. Prints "name value" lines for bench/run.
#include "mqttbroker.h"
#include "mqttsubscriber.h"
#include "simprocess.h"

#include "engine/record/channelstatistics.h"
#include "engine/record/sweepjson.h"
#include "engine/record/sweeprecord.h"
#include "programs/scan/mqttoptions.h"
#include "programs/scan/mqttpublisher.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <mosquitto.h>

#include <cstdio>

namespace {
constexpr int kSyntheticSweeps = 20000;
constexpr int kWaitMs = 120'000;
constexpr int kScanSeconds = 10;
constexpr double kMsPerSecond = 1000.0;

bool ready(bool done, const char *what)
{
    if (!done) {
        std::fprintf(stderr, "mqtt-bench: %s\n", what);
    }
    return done;
}

void figure(const char *name, double value)
{
    std::printf("%s %.2f\n", name, value);
    std::fflush(stdout);
}

// Bytes of one QoS 1 PUBLISH packet: the fixed header with its variable-length remaining
// length, the topic with its length, the packet identifier and the payload.
qint64 publishPacketBytes(qint64 topicBytes, qint64 payloadBytes)
{
    constexpr qint64 kLengthField = 2;
    constexpr qint64 kPacketId = 2;
    constexpr qint64 kSevenBits = 128;
    const qint64 remaining = kLengthField + topicBytes + kPacketId + payloadBytes;
    qint64 lengthBytes = 1;
    for (qint64 rest = remaining / kSevenBits; rest > 0; rest /= kSevenBits) {
        ++lengthBytes;
    }
    return 1 + lengthBytes + remaining;
}

SweepRecord syntheticSweep(qint64 n)
{
    SweepRecord sweep;
    sweep.utcMs = 1796628600123 + n * 500;
    sweep.sweep = n;
    sweep.mode = RadioMode::AirMonitor;
    for (std::size_t i = 0; i < sweep.dbm.size(); ++i) {
        sweep.dbm[i] = static_cast<qint16>(-120 + static_cast<qint64>(i * 7 + n) % 60);
    }
    return sweep;
}

void benchPublisherAlone(const MqttBroker &broker)
{
    MqttSubscriber subscriber(broker.port(), QStringLiteral("bench/alone/#"), 0);
    if (!ready(QTest::qWaitFor([&] { return subscriber.isSubscribed(); }, kWaitMs),
               "the subscriber did not subscribe")) {
        return;
    }
    MqttSettings settings;
    settings.broker = {QStringLiteral("127.0.0.1"), broker.port(), false};
    settings.topicPrefix = QStringLiteral("bench/alone");
    settings.queueLimit = kSyntheticSweeps;
    ChannelStatistics statistics;
    MqttPublisher publisher(settings, statistics);
    if (!ready(QTest::qWaitFor([&] { return publisher.isConnected(); }, kWaitMs),
               "the publisher did not connect")) {
        return;
    }

    QList<SweepRecord> sweeps;
    qint64 payloadBytes = 0;
    qint64 packetBytes = 0;
    const qint64 topicBytes = QByteArrayLiteral("bench/alone/sweep").size();
    for (qint64 n = 1; n <= kSyntheticSweeps; ++n) {
        sweeps.append(syntheticSweep(n));
        const qint64 payload = record::sweepJson(sweeps.constLast()).size();
        payloadBytes += payload;
        packetBytes += publishPacketBytes(topicBytes, payload);
    }
    QElapsedTimer clock;
    clock.start();
    for (const SweepRecord &sweep : sweeps) {
        publisher.publishSweep(sweep);
    }
    const double handOverMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    const bool all = QTest::qWaitFor(
        [&] { return subscriber.payloads("bench/alone/sweep").size() >= kSyntheticSweeps; },
        kWaitMs);
    const double seconds = static_cast<double>(clock.elapsed()) / kMsPerSecond;
    figure("publisher_sweeps",
           static_cast<double>(subscriber.payloads("bench/alone/sweep").size()));
    figure("publisher_rate", all ? kSyntheticSweeps / seconds : 0.0);
    figure("publisher_handover_us", handOverMs * kMsPerSecond / kSyntheticSweeps);
    figure("publisher_dropped", static_cast<double>(publisher.droppedSweeps()));
    figure("payload_bytes", static_cast<double>(payloadBytes) / kSyntheticSweeps);
    figure("wire_bytes_per_sweep", static_cast<double>(packetBytes) / kSyntheticSweeps);
}

// Sweeps per second that kvt318-scan records in Air Monitor mode against the unpaced simulator.
void benchScanner(const MqttBroker &broker, bool publish)
{
    SimProcess sim;
    if (!sim.start({"--baud", "0", "--mode", "04", "--carrier", "12:-70"})) {
        std::fputs("mqtt-bench: the simulator did not start\n", stderr);
        return;
    }
    MqttSubscriber subscriber(broker.port(), QStringLiteral("bench/scan/#"), 0);
    if (!ready(QTest::qWaitFor([&] { return subscriber.isSubscribed(); }, kWaitMs),
               "the subscriber did not subscribe")) {
        return;
    }
    QTemporaryDir dir;
    const QString output = dir.filePath(QStringLiteral("out.jsonl"));
    QStringList arguments = {
        "-q", "--format", "jsonl", "-o", output, "-t", QString::number(kScanSeconds)};
    if (publish) {
        arguments += {"--mqtt", broker.url(), "--mqtt-topic", "bench/scan"};
    }
    QProcess scan;
    scan.start(QStringLiteral(KVT318_SCAN_PATH), arguments + QStringList{sim.devicePath()});
    scan.waitForFinished(kWaitMs);
    QFile file(output);
    const qsizetype recorded = file.open(QIODevice::ReadOnly) ? file.readAll().count('\n') : 0;
    const double rate = static_cast<double>(recorded) / kScanSeconds;
    if (publish) {
        ready(QTest::qWaitFor(
                  [&] { return subscriber.payloads("bench/scan/sweep").size() >= recorded; },
                  kWaitMs),
              "not every recorded sweep arrived");
        figure("scan_rate_mqtt", rate);
        figure("scan_published",
               static_cast<double>(subscriber.payloads("bench/scan/sweep").size()));
        figure("scan_recorded", static_cast<double>(recorded));
    } else {
        figure("scan_rate_plain", rate);
    }
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("KVT318_SIM")) {
        qputenv("KVT318_SIM", KVT318_SIM_PATH);
    }
    mosquitto_lib_init();
    MqttBroker broker;
    if (!broker.start()) {
        std::fprintf(stderr, "mqtt-bench: the broker did not start: %s\n",
                     qPrintable(broker.output()));
        return 1;
    }
    benchPublisherAlone(broker);
    benchScanner(broker, false);
    benchScanner(broker, true);
    return 0;
}
