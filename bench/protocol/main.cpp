// The monitor's own speed and cost: the real window, offscreen, with the real serial port
// against the module simulator. Prints one "name value unit" line per figure on standard
// output (bench/run collects them); progress and failures go to standard error.
//
// Usage: protocol-bench [paced]   (the simulator from KVT318_SIM, else the one built beside it;
//                                 "paced": the sweeps at the module's baud rate alone)
#include "engine/protocol/qtseriallink.h"
#include "engine/protocol/sweepengine.h"
#include "processusage.h"
#include "sweepfigures.h"
#include "windows/main/mainwindow.h"
#include "windowsweep.h"

#include <QApplication>
#include <QTemporaryDir>

#include <array>
#include <chrono>
#include <cstdio>
#include <memory>

namespace {

using std::chrono::milliseconds;

constexpr milliseconds kIdleWarmUp{1000};
constexpr milliseconds kIdleStretch{3000};
constexpr milliseconds kUnpacedAirStretch{3000};
constexpr milliseconds kUnpacedFskStretch{8000};
constexpr milliseconds kPacedAirStretch{4000};
constexpr milliseconds kPacedFskStretch{6000};
constexpr milliseconds kRssiReadPause{20};
constexpr int kModuleBaud = 19200;
// The Air Monitor reading is complete at "*RS=" and two digits: its CR LF overlaps the next
// command on a full-duplex line.
constexpr qsizetype kAirReplyLineEnd = 2;
constexpr double kPercent = 100.0;
constexpr double kMicrosPerSecond = 1e6;
constexpr double kMillisPerSecond = 1e3;

// The demo's band: a floor and four carriers, one of them bursting.
const QStringList kBand = {"--seed", "318",       "--carrier",  "12:-62",    "--carrier",
                           "19:-88", "--carrier", "30:-47:0.4", "--carrier", "41:-75"};

// How the simulator hands the paced bytes over: each as its stop bit arrives, as a UART on the
// machine's board does, or each reply at once, as a USB serial adapter does.
struct Delivery
{
    const char *prefix;
    QStringList options;
};
const std::array<Delivery, 2> kDeliveries = {{{"", {}}, {"_packets", {"--packets", "reply"}}}};

QStringList simulatorOptions(const char *mode, int baud, const QStringList &delivery = {})
{
    return kBand + QStringList{"--mode", mode, "--baud", QString::number(baud)} + delivery;
}

void report(const QByteArray &name, double value, const char *unit)
{
    std::printf("%s %.3f %s\n", name.constData(), value, unit);
    std::fflush(stdout);
}

bool failed(const WindowSweep::Result &result, const char *what)
{
    if (result.ok && result.measured().size() >= 2) {
        return false;
    }
    std::fprintf(stderr, "protocol-bench: %s: %s\n", what,
                 result.ok ? "no measurements" : qPrintable(result.error));
    return true;
}

// Paced at the module's baud rate: the rate, the wire's ideal rate and their ratio, also with
// the tail of each reply that the monitor need not wait for; CPU and wake-ups in all and per
// exchange.
void reportPaced(const char *prefix, const WindowSweep::Result &result, milliseconds pause,
                 qsizetype overlappedReplyTail = 0)
{
    const QList<SweepLog::Measurement> measured = result.measured();
    const double ideal = sweepfigures::idealSeconds(result.log, measured.first(), measured.last(),
                                                    kModuleBaud, pause);
    const double actual =
        static_cast<double>(measured.last().micros - measured.first().micros) / kMicrosPerSecond;
    const double channels = double(measured.size() - 1);
    const QByteArray name(prefix);
    report(name + "_rate", channels / actual, "ch/s");
    report(name + "_ideal_rate", channels / ideal, "ch/s");
    report(name + "_ratio", kPercent * ideal / actual, "%");
    if (overlappedReplyTail > 0) {
        const double overlapped = sweepfigures::idealSeconds(
            result.log, measured.first(), measured.last(), kModuleBaud, pause, overlappedReplyTail);
        report(name + "_ideal_rate_overlapped", channels / overlapped, "ch/s");
        report(name + "_ratio_overlapped", kPercent * overlapped / actual, "%");
    }
    // The simulator's own lateness is the instrument's, not the monitor's.
    const sweepfigures::LostTime lost =
        sweepfigures::lostTime(result.log, measured.first(), measured.last(), kModuleBaud, pause);
    report(name + "_lost_simulator", kMillisPerSecond * lost.simulatorSeconds / channels, "ms/ch");
    report(name + "_lost_monitor", kMillisPerSecond * lost.monitorSeconds / channels, "ms/ch");
    report(name + "_ratio_monitor", kPercent * ideal / (actual - lost.simulatorSeconds), "%");
    report(name + "_cpu", kPercent * result.cpuSeconds / result.seconds(), "%core");
    const qsizetype exchanges =
        sweepfigures::commandsBetween(result.log, result.fromMicros, result.toMicros);
    if (exchanges > 0) {
        report(name + "_cpu_per_exchange", kMicrosPerSecond * result.cpuSeconds / double(exchanges),
               "us/exch");
        report(name + "_wakeups_per_exchange", double(result.wakeUps) / double(exchanges), "/exch");
    }
}

// The idle window, and sweeps as fast as the terminal allows: CPU per exchange when the
// replies come all at once, the FSK channel period and the pause before "@RA". False when a
// sweep failed.
bool reportIdleAndUnpaced(WindowSweep &sweep)
{
    bool ok = true;
    std::fprintf(stderr, "protocol-bench: idle window\n");
    WindowSweep::spin(kIdleWarmUp);
    const double idleCpu = sweep.idleCpuSeconds(kIdleStretch);
    report("idle_cpu", kPercent * idleCpu / std::chrono::duration<double>(kIdleStretch).count(),
           "%core");

    std::fprintf(stderr, "protocol-bench: Air Monitor, --baud 0\n");
    const WindowSweep::Result air = sweep.run(simulatorOptions("04", 0), kUnpacedAirStretch);
    if (failed(air, "Air Monitor, --baud 0")) {
        ok = false;
    } else {
        const QList<SweepLog::Measurement> measured = air.measured();
        report("am_unpaced_rate", sweepfigures::perSecond(measured), "exch/s");
        // What the window alone would allow: its CPU time per exchange.
        report("am_unpaced_monitor_cpu",
               air.cpuSeconds * kMicrosPerSecond / double(measured.size()), "us/exch");
    }

    std::fprintf(stderr, "protocol-bench: FSK, --baud 0\n");
    const WindowSweep::Result fsk = sweep.run(simulatorOptions("01", 0), kUnpacedFskStretch);
    if (failed(fsk, "FSK, --baud 0")) {
        ok = false;
    } else {
        const sweepfigures::Spread period =
            sweepfigures::spread(sweepfigures::periodsMs(fsk.measured()));
        report("fsk_unpaced_period_median", period.median, "ms");
        report("fsk_unpaced_period_over_floor", period.median - double(kRssiReadPause.count()),
               "ms");
        const sweepfigures::Spread pause =
            sweepfigures::spread(sweepfigures::toMs(fsk.log.rssiReadPauses()));
        report("pause_min", pause.min, "ms");
        report("pause_median", pause.median, "ms");
        report("pause_p99", pause.p99, "ms");
        report("pause_count", double(fsk.log.rssiReadPauses().size()), "pauses");
    }
    return ok;
}

// The sweeps at the module's baud rate, with the bytes handed over each way. False when a
// sweep failed.
bool reportPacedDeliveries(WindowSweep &sweep)
{
    bool ok = true;
    for (const Delivery &delivery : kDeliveries) {
        const QByteArray air = QByteArray("am_paced") + delivery.prefix;
        std::fprintf(stderr, "protocol-bench: Air Monitor, --baud %d %s\n", kModuleBaud,
                     qPrintable(delivery.options.join(' ')));
        const WindowSweep::Result pacedAir =
            sweep.run(simulatorOptions("04", kModuleBaud, delivery.options), kPacedAirStretch);
        if (failed(pacedAir, air.constData())) {
            ok = false;
        } else {
            reportPaced(air.constData(), pacedAir, milliseconds{0}, kAirReplyLineEnd);
        }

        const QByteArray fsk = QByteArray("fsk_paced") + delivery.prefix;
        std::fprintf(stderr, "protocol-bench: FSK, --baud %d %s\n", kModuleBaud,
                     qPrintable(delivery.options.join(' ')));
        const WindowSweep::Result pacedFsk =
            sweep.run(simulatorOptions("01", kModuleBaud, delivery.options), kPacedFskStretch);
        if (failed(pacedFsk, fsk.constData())) {
            ok = false;
        } else {
            reportPaced(fsk.constData(), pacedFsk, kRssiReadPause);
        }
    }
    return ok;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (qEnvironmentVariableIsEmpty("KVT318_SIM")) {
        qputenv("KVT318_SIM", KVT318_SIM_PATH);
    }
    const QApplication app(argc, argv);
    const QTemporaryDir dir;
    SweepEngine engine(std::make_unique<QtSerialLink>());
    MainWindow::Services services;
    services.settingsPath = dir.filePath(QStringLiteral("monitor.ini"));
    MainWindow window(engine, std::move(services));
    window.show();
    WindowSweep sweep(window);

    const bool pacedOnly = argc > 1 && QByteArray(argv[1]) == "paced";
    const bool unpacedOk = pacedOnly || reportIdleAndUnpaced(sweep);
    const bool pacedOk = reportPacedDeliveries(sweep);
    report("peak_rss", processusage::peakResidentMiB(), "MiB");
    return unpacedOk && pacedOk ? 0 : 1;
}
