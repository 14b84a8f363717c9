// The monitor watching ten scanners through a local mosquitto, each in its own history window,
// every scanner publishing an Air Monitor sweep at 19200 baud's pace (a child process of this
// program plays them, so that the CPU measured here is the monitor's alone). Each sweep carries
// its publish time, so the delay to the history row that the waterfall paints is the row's
// arrival less that time. Measured twice: with the ten windows shown (their painting and
// figures included), and hidden (the source, the history, statistics and alarms alone). Prints
// "name value" lines for bench/run.
#include "mqttbroker.h"

#include "core/channelplan.h"
#include "engine/history/sweephistory.h"
#include "engine/record/sweepjson.h"
#include "engine/record/sweeprecord.h"
#include "engine/remote/brokerconnection.h"
#include "engine/remote/remotebroker.h"
#include "programs/monitor/remotewatch.h"
#include "programs/monitor/remotewatches.h"
#include "windows/history/historywindow.h"
#include "windows/history/monitoractions.h"

#include <QApplication>
#include <QDateTime>
#include <QProcess>
#include <QTest>

#include <mosquitto.h>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace {
constexpr int kScanners = 10;
// 19200 baud, 10 bits a byte, 17 bytes an Air Monitor exchange, 40 channels.
constexpr double kSweepsPerSecond = 19200.0 / 10.0 / 17.0 / channelplan::kChannelCount;
constexpr int kWarmUpMs = 3000;
constexpr int kMeasureMs = 30000;
constexpr int kWaitMs = 60000;

QByteArray receiverName(int n)
{
    return QByteArrayLiteral("bench-") + QByteArray::number(n);
}

void figure(const QByteArray &name, double value)
{
    std::printf("%s %.2f\n", name.constData(), value);
    std::fflush(stdout);
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The child: ten scanners, each a client of its own with its status and its sweeps, staggered
// over one sweep period, until killed.
int publish(int port)
{
    mosquitto_lib_init();
    std::vector<mosquitto *> clients;
    for (int n = 0; n < kScanners; ++n) {
        mosquitto *client = mosquitto_new(nullptr, true, nullptr);
        const QByteArray status = "kvt318/" + receiverName(n) + "/status";
        mosquitto_will_set(client, status.constData(), 7, "offline", 1, true);
        if (mosquitto_connect(client, "127.0.0.1", port, 30) != MOSQ_ERR_SUCCESS ||
            mosquitto_loop_start(client) != MOSQ_ERR_SUCCESS) {
            std::fprintf(stderr, "remote-bench: the publisher cannot reach the broker\n");
            return 1;
        }
        mosquitto_publish(client, nullptr, status.constData(), 6, "online", 1, true);
        clients.push_back(client);
    }
    const auto period = std::chrono::duration<double>(1.0 / kSweepsPerSecond);
    const auto start = std::chrono::steady_clock::now();
    for (qint64 sweep = 1;; ++sweep) {
        for (int n = 0; n < kScanners; ++n) {
            std::this_thread::sleep_until(
                start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                            period * (static_cast<double>(sweep) + double(n) / kScanners)));
            SweepRecord record;
            record.utcMs = QDateTime::currentMSecsSinceEpoch();
            record.sweep = sweep;
            record.mode = RadioMode::AirMonitor;
            for (std::size_t i = 0; i < record.dbm.size(); ++i) {
                record.dbm[i] = static_cast<qint16>(-120 + (sweep + qint64(i)) % 50);
            }
            const QByteArray payload = record::sweepJson(record);
            const QByteArray topic = "kvt318/" + receiverName(n) + "/sweep";
            mosquitto_publish(clients[std::size_t(n)], nullptr, topic.constData(),
                              static_cast<int>(payload.size()), payload.constData(), 1, false);
        }
    }
}
} // namespace

int main(int argc, char *argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--publish") == 0) {
        return publish(QByteArray(argv[2]).toInt());
    }
    QApplication app(argc, argv);
    MqttBroker broker;
    if (!broker.start()) {
        std::fprintf(stderr, "remote-bench: no broker: %s\n", qPrintable(broker.output()));
        return 1;
    }
    MonitorActions actions;
    RemoteWatches watches(actions, [] { return QList<AlarmRuleEntry>{}; }, {});
    BrokerSettings settings;
    settings.broker = *MqttUrl::parse(broker.url());
    const std::shared_ptr<RemoteBroker> remote = watches.brokerFor(settings);
    std::vector<qint64> delays;
    bool measuring = false;
    for (int n = 0; n < kScanners; ++n) {
        RemoteWatch &watch = watches.watch(remote, QString::fromLatin1(receiverName(n)));
        QObject::connect(&watch.history(), &SweepHistory::rowAdded, &app,
                         [&delays, &measuring](const HistoryRow &row) {
                             if (measuring && !row.runStart) {
                                 delays.push_back(QDateTime::currentMSecsSinceEpoch() - row.utcMs);
                             }
                         });
    }
    if (!QTest::qWaitFor([&] { return remote->connection().isSubscribed(); }, kWaitMs)) {
        std::fprintf(stderr, "remote-bench: not subscribed\n");
        return 1;
    }
    QProcess publisher;
    publisher.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--publish"), QString::number(broker.port())});
    QTest::qWait(kWarmUpMs);
    struct Phase
    {
        const char *name;
        double cpuPercent = 0;
        double seconds = 0;
        std::vector<qint64> delays;
    };
    std::vector<Phase> phases{{"shown", 0, 0, {}}, {"hidden", 0, 0, {}}};
    for (Phase &phase : phases) {
        delays.clear();
        measuring = true;
        const double cpuBefore = cpuSeconds();
        const auto wallBefore = std::chrono::steady_clock::now();
        QTest::qWait(kMeasureMs);
        phase.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
        phase.cpuPercent = 100.0 * (cpuSeconds() - cpuBefore) / phase.seconds;
        measuring = false;
        phase.delays = delays;
        for (const auto &watch : watches.watches()) {
            watch->window().hide();
        }
    }
    publisher.kill();
    publisher.waitForFinished();
    figure("remote_scanners", kScanners);
    figure("remote_sweeps_per_s_each", kSweepsPerSecond);
    for (Phase &phase : phases) {
        std::vector<qint64> &all = phase.delays;
        if (all.empty()) {
            std::fprintf(stderr, "remote-bench: no sweep arrived\n");
            return 1;
        }
        std::sort(all.begin(), all.end());
        const auto percentile = [&all](double p) {
            return static_cast<double>(all[std::min(
                all.size() - 1, static_cast<std::size_t>(p * static_cast<double>(all.size())))]);
        };
        const QByteArray prefix = QByteArrayLiteral("remote_") + phase.name + '_';
        figure(prefix + "sweeps", static_cast<double>(all.size()));
        figure(prefix + "expected_sweeps", kScanners * kSweepsPerSecond * phase.seconds);
        figure(prefix + "cpu_pct", phase.cpuPercent);
        figure(prefix + "delay_p50_ms", percentile(0.5));
        figure(prefix + "delay_p99_ms", percentile(0.99));
        figure(prefix + "delay_max_ms", static_cast<double>(all.back()));
    }
    return 0;
}
