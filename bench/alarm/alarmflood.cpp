// kvt318-scan's sweep rate at 19200 baud when its alarms flood: rules around the noise floor
// of a jittery band raise and clear about a thousand times a second, with no --on-alarm
// command beside a command that takes 30 s. The rate comes from the simulator's log.
// Prints "name value" lines.
#include "simprocess.h"
#include "sweeplog.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kSeconds = 20;
constexpr int kRounds = 2;
constexpr int kRules = 32;
constexpr int kLowestLevel = -126;
constexpr int kChannels = 40;

void print(const char *name, double value)
{
    std::printf("%s %.3f\n", name, value);
    std::fflush(stdout);
}

QString scanProgram()
{
    return qEnvironmentVariableIsEmpty("KVT318_SCAN") ? QStringLiteral(KVT318_SCAN_PATH)
                                                      : qEnvironmentVariable("KVT318_SCAN");
}

struct Rate
{
    double sweepsPerSecond = -1.0;
    double eventsPerSecond = -1.0;
};

// One paced Air Monitor run with the flapping rules; the command, if any, on every event.
Rate floodRate(const QString &command)
{
    SimProcess sim;
    if (!sim.start({"--baud", "19200", "--mode", "04", "--jitter", "8"})) {
        std::fprintf(stderr, "alarm-flood-bench: the simulator did not start\n");
        return {};
    }
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("alarms.csv"));
    QStringList arguments = {
        "-q", "--duration", QString::number(kSeconds), "-o", "/dev/null", "--alarm-log", log};
    for (int rule = 0; rule < kRules; ++rule) {
        const int level = kLowestLevel + rule * 12 / kRules;
        arguments << "--alarm" << QStringLiteral("ch=all,above=%1,clear=%1,clear-for=0").arg(level);
    }
    if (!command.isEmpty()) {
        arguments << "--on-alarm" << command << "--on-alarm-interval"
                  << "0";
    }
    QProcess scan;
    scan.setStandardErrorFile(QProcess::nullDevice());
    scan.start(scanProgram(), arguments << sim.devicePath());
    if (!scan.waitForFinished((kSeconds + 60) * 1000)) {
        return {};
    }
    const QList<SweepLog::Measurement> measured = SweepLog(sim.log()).measurements();
    if (measured.size() < 2) {
        return {};
    }
    const double seconds =
        static_cast<double>(measured.last().micros - measured.first().micros) / 1e6;
    QFile events(log);
    const double lines = events.open(QIODevice::ReadOnly)
                             ? static_cast<double>(events.readAll().count('\n') - 1)
                             : 0.0;
    return {static_cast<double>(measured.size() - 1) / kChannels / seconds, lines / seconds};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::vector<double> plain;
    std::vector<double> slow;
    std::vector<double> events;
    for (int round = 0; round < kRounds; ++round) {
        const Rate without = floodRate({});
        const Rate with = floodRate(QStringLiteral("sleep 30"));
        plain.push_back(without.sweepsPerSecond);
        slow.push_back(with.sweepsPerSecond);
        events.push_back(with.eventsPerSecond);
        print("flood_sweep_rate_plain_round", without.sweepsPerSecond);
        print("flood_sweep_rate_slow_command_round", with.sweepsPerSecond);
        print("flood_events_per_s_round", with.eventsPerSecond);
    }
    const double plainRate = *std::max_element(plain.begin(), plain.end());
    const double slowRate = *std::max_element(slow.begin(), slow.end());
    print("flood_events_per_s", *std::min_element(events.begin(), events.end()));
    print("flood_sweep_rate_plain", plainRate);
    print("flood_sweep_rate_slow_command", slowRate);
    print("flood_sweep_rate_change_pct", 100.0 * (slowRate - plainRate) / plainRate);
    return 0;
}
