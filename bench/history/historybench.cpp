// The history's cost: one waterfall paint of four hours of sweeps at 1920 x 1080 pixels, and
// the monitor's CPU while sweeping Air Monitor at 19200 baud with the history window open and
// recording, beside the same run without them; and the sweep's rate while recording to a file
// whose every write takes 500 ms, beside the same run without recording. Prints "name value
// unit" lines.
#include "engine/history/sweephistory.h"
#include "engine/record/recorder.h"
#include "painters/waterfallpainter.h"
#include "programs/monitor/monitorprogram.h"
#include "windows/history/historywindow.h"
#include "windows/main/mainwindow.h"
#include "windowsweep.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;

constexpr int kWarmUpRuns = 10;
constexpr int kMeasuredRuns = 200;
constexpr int kRounds = 3;
constexpr auto kStretch = std::chrono::seconds(20);
constexpr double kPercent = 100.0;
constexpr qint64 kSweepMs = 360; // about the fastest real sweep
constexpr auto kSlowWrite = std::chrono::milliseconds(500);
constexpr double kChannels = 40.0;

constexpr int kRowBytes = 256;
constexpr int kPipeBytes = 4096;

// A disk that takes half a second for every row: a FIFO whose reader takes a row's bytes each
// half second, its pipe a page long so that the writer soon waits for it.
class SlowDisk
{
public:
    explicit SlowDisk(const QString &path)
        : m_path(path)
    {
        if (::mkfifo(QFile::encodeName(path).constData(), 0600) == 0) {
            m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
            ::fcntl(m_fd, F_SETPIPE_SZ, kPipeBytes);
            m_reader = std::thread([this] {
                std::array<char, kRowBytes> row{};
                while (!m_stop) {
                    std::this_thread::sleep_for(kSlowWrite);
                    (void)::read(m_fd, row.data(), row.size());
                }
            });
        }
    }
    ~SlowDisk()
    {
        m_stop = true;
        if (m_reader.joinable()) {
            m_reader.join();
        }
        ::close(m_fd);
    }
    SlowDisk(const SlowDisk &) = delete;
    SlowDisk &operator=(const SlowDisk &) = delete;

    [[nodiscard]] bool isReady() const { return m_fd >= 0; }
    [[nodiscard]] QString path() const { return m_path; }

private:
    QString m_path;
    int m_fd = -1;
    std::atomic<bool> m_stop{false};
    std::thread m_reader;
};

double sweepsPerSecond(const WindowSweep::Result &result)
{
    return static_cast<double>(result.measured().size()) / kChannels / result.seconds();
}

void report(const char *name, double value, const char *unit)
{
    std::printf("%s %.3f %s\n", name, value, unit);
    std::fflush(stdout);
}

double median(std::vector<double> values)
{
    std::nth_element(values.begin(), values.begin() + static_cast<long>(values.size() / 2),
                     values.end());
    return values[values.size() / 2];
}

// A full ring: a floor with carriers that come and go, and a run separator now and then.
void fill(SweepHistory &history)
{
    QRandomGenerator random(318);
    SweepRecord sweep;
    for (int n = 0; n < history.capacity(); ++n) {
        if (n % 5000 == 0) {
            history.markRunStart(sweep.utcMs);
        }
        sweep.utcMs = 1'765'000'000'000 + n * kSweepMs;
        for (qint16 &dbm : sweep.dbm) {
            dbm = static_cast<qint16>(random.bounded(-125, -110));
        }
        sweep.dbm[5] = static_cast<qint16>(random.bounded(-70, -60));
        sweep.dbm[23] = random.bounded(10) < 4 ? qint16(-47) : qint16(-118);
        history.append(sweep);
    }
}

double waterfallPaintMs(const SweepHistory &history)
{
    QImage image(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    std::vector<double> times;
    for (int run = 0; run < kWarmUpRuns + kMeasuredRuns; ++run) {
        const auto start = Clock::now();
        {
            QPainter painter(&image);
            chart::WaterfallPainter waterfall(painter, {Qt::white, Qt::black, Qt::white});
            waterfall.paint(image.rect(), history, run % 100);
        }
        if (run >= kWarmUpRuns) {
            times.push_back(Milliseconds(Clock::now() - start).count());
        }
    }
    return median(times);
}

QStringList airMonitorAt19200()
{
    return {QStringLiteral("--mode"),    QStringLiteral("04"),     QStringLiteral("--baud"),
            QStringLiteral("19200"),     QStringLiteral("--seed"), QStringLiteral("318"),
            QStringLiteral("--carrier"), QStringLiteral("12:-62"), QStringLiteral("--carrier"),
            QStringLiteral("30:-47:0.4")};
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("KVT318_SIM")) {
        qputenv("KVT318_SIM", KVT318_SIM_PATH);
    }
    {
        SweepHistory history;
        fill(history);
        report("waterfall_rows", history.size(), "rows");
        report("waterfall_paint_1920x1080_median", waterfallPaintMs(history), "ms");
    }

    QTemporaryDir dir;
    // The writer left blocked at the end gets an error, not a signal, when the disk goes.
    std::signal(SIGPIPE, SIG_IGN);
    SlowDisk slowDisk(dir.filePath(QStringLiteral("slow")));
    if (!slowDisk.isReady()) {
        std::fprintf(stderr, "history-bench: %s\n", qPrintable(slowDisk.path()));
        return 1;
    }
    MonitorProgram::Services services;
    services.window.settingsPath = dir.filePath(QStringLiteral("monitor.ini"));
    MonitorProgram controller(std::move(services));
    MainWindow &window = controller.window();
    window.show();
    WindowSweep sweep(window);
    std::vector<double> plain;
    std::vector<double> withHistory;
    std::vector<double> ratePlain;
    std::vector<double> rateSlowSink;
    // Alternating, so that a busy stretch of a shared machine weighs on both sides alike.
    for (int round = 0; round < kRounds; ++round) {
        const WindowSweep::Result without = sweep.run(airMonitorAt19200(), kStretch);
        controller.showHistory();
        if (!controller.startRecording(dir.filePath(QStringLiteral("sweeps.csv")))) {
            return 1;
        }
        const WindowSweep::Result with = sweep.run(airMonitorAt19200(), kStretch);
        const qint64 rowsWritten = controller.recorder().rowsWritten();
        controller.recorder().stop();
        controller.historyWindow()->hide();
        if (!controller.recorder().start(slowDisk.path(), RecordFormat::Csv)) {
            return 1;
        }
        const WindowSweep::Result slow = sweep.run(airMonitorAt19200(), kStretch);
        controller.recorder().stop();
        for (const WindowSweep::Result *result : {&without, &with, &slow}) {
            if (!result->ok) {
                std::fprintf(stderr, "history-bench: %s\n", qPrintable(result->error));
                return 1;
            }
        }
        plain.push_back(kPercent * without.cpuSeconds / without.seconds());
        withHistory.push_back(kPercent * with.cpuSeconds / with.seconds());
        ratePlain.push_back(sweepsPerSecond(without));
        rateSlowSink.push_back(sweepsPerSecond(slow));
        report("recorded_rows", static_cast<double>(rowsWritten), "rows");
        report("round_sweep_rate_plain", ratePlain.back(), "sweeps/s");
        report("round_sweep_rate_history_recording", sweepsPerSecond(with), "sweeps/s");
        report("round_sweep_rate_slow_sink", rateSlowSink.back(), "sweeps/s");
    }
    report("am_paced_cpu_plain", median(plain), "%core");
    report("am_paced_cpu_history_recording", median(withHistory), "%core");
    report("am_paced_cpu_history_extra", median(withHistory) - median(plain), "%core");
    report("am_paced_sweep_rate_plain", median(ratePlain), "sweeps/s");
    report("am_paced_sweep_rate_slow_sink", median(rateSlowSink), "sweeps/s");
    report("am_paced_sweep_rate_slow_sink_change",
           kPercent * (median(rateSlowSink) - median(ratePlain)) / median(ratePlain), "%");
    return 0;
}
