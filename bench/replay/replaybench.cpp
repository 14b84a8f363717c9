// Reading a day's Air Monitor recording back. Prints "name value" lines for bench/run:
// the reader alone (time, bytes held per sweep), kvt318-scan --replay to a summary (sweeps a
// second, peak resident memory), the same with --hours and --hourly against without, the
// statistics' cost per sweep, and the history window opening it (time to the first painted
// waterfall, peak resident memory, in a process of its own).
//
//   replay-bench                 generate a day into a scratch folder and measure
//   replay-bench generate FILE   only write the day's recording to FILE
//   replay-bench window FILE     only open FILE in the history window
#include "benchfigures.h"
#include "surveygenerator.h"

#include "engine/history/historystatistics.h"
#include "engine/history/sweephistory.h"
#include "engine/record/channelstatistics.h"
#include "engine/record/recorder.h"
#include "engine/record/recordingreader.h"
#include "engine/record/sweeprecord.h"
#include "processusage.h"
#include "windows/history/historywindow.h"
#include "windows/history/monitoractions.h"
#include "windows/history/waterfallview.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr qint64 kFirstUtcMs = 1796601600000; // 2026-12-07T00:00:00Z
constexpr double kMiB = 1024.0 * 1024.0;
constexpr int kReplayTimeoutMs = 10 * 60 * 1000;

// Reports the time of the first paint of the waterfall once the opened file is shown.
class FirstPaint : public QObject
{
public:
    FirstPaint(HistoryWindow &window, QElapsedTimer &clock)
        : m_window(window)
        , m_clock(clock)
    {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const auto *source = m_window.findChild<QComboBox *>(QStringLiteral("source"));
        if (event->type() == QEvent::Paint && source->currentIndex() == 1 && !m_done) {
            m_done = true;
            // Once this paint is done.
            QTimer::singleShot(0, this, [this] {
                figure("window_first_paint_s", static_cast<double>(m_clock.nsecsElapsed()) / 1e9);
                figure("window_rss_peak_mib", processusage::peakResidentMiB());
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    HistoryWindow &m_window;
    QElapsedTimer &m_clock;
    bool m_done = false;
};

const QString kHours = QStringLiteral("Mon-Fri 08:00-18:00; Sat,Sun 00:00-24:00");

// The statistics of one sweep on the sweep's thread, in microseconds: the median of five
// passes over a day of generated sweeps.
double statisticsMicroseconds(const std::vector<SweepRecord> &sweeps,
                              const OccupancyThreshold &threshold, const HourWindows &hours)
{
    constexpr int kPasses = 5;
    std::vector<double> passes;
    for (int pass = 0; pass < kPasses; ++pass) {
        ChannelStatistics statistics(threshold, hours);
        QElapsedTimer clock;
        clock.start();
        for (const SweepRecord &sweep : sweeps) {
            statistics.addSweep(sweep);
        }
        passes.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e3 /
                         static_cast<double>(sweeps.size()));
    }
    std::sort(passes.begin(), passes.end());
    return passes[kPasses / 2];
}

void statisticsCost()
{
    std::vector<SweepRecord> sweeps(static_cast<std::size_t>(surveygenerator::kDaySweeps));
    std::mt19937 random(7); // NOLINT: a fixed seed, the same sweeps every time
    std::uniform_int_distribution<int> level(-121, -60);
    qint64 utcMs = kFirstUtcMs;
    for (SweepRecord &sweep : sweeps) {
        sweep.utcMs = utcMs += surveygenerator::kSweepIntervalMs;
        for (auto &dbm : sweep.dbm) {
            dbm = static_cast<qint16>(level(random));
        }
    }
    QString error;
    const HourWindows hours = *HourWindows::parse(kHours, &error);
    const OccupancyThreshold absolute{};
    OccupancyThreshold noise;
    noise.noiseRelative = true;
    noise.db = 10;
    figure("statistics_us_per_sweep_plain",
           statisticsMicroseconds(sweeps, absolute, HourWindows::always()));
    figure("statistics_us_per_sweep_hours", statisticsMicroseconds(sweeps, absolute, hours));
    figure("statistics_us_per_sweep_hours_noise", statisticsMicroseconds(sweeps, noise, hours));
}

// Seconds kvt318-scan takes to replay the file to a summary with these options; 0 on failure.
double replaySeconds(const QStringList &options)
{
    QProcess scan;
    scan.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    scan.start(QStringLiteral(KVT318_SCAN_PATH), QStringList{QStringLiteral("-q")} + options);
    if (!scan.waitForFinished(kReplayTimeoutMs) || scan.exitCode() != 0) {
        return 0.0;
    }
    return static_cast<double>(clock.nsecsElapsed()) / 1e9;
}

// The replay with --hours and --hourly against without, alternating, the fastest of three each.
bool hoursCost(const QTemporaryDir &dir, const QString &path)
{
    constexpr int kRounds = 3;
    const QStringList plain{QStringLiteral("--replay"), path, QStringLiteral("--summary"),
                            dir.filePath(QStringLiteral("plain.csv"))};
    const QStringList hours =
        plain + QStringList{QStringLiteral("--hours"), kHours, QStringLiteral("--hourly"),
                            dir.filePath(QStringLiteral("hourly.csv"))};
    double plainBest = 0.0;
    double hoursBest = 0.0;
    for (int round = 0; round < kRounds; ++round) {
        const double without = replaySeconds(plain);
        const double with = replaySeconds(hours);
        if (without <= 0.0 || with <= 0.0) {
            return false;
        }
        plainBest = round == 0 ? without : std::min(plainBest, without);
        hoursBest = round == 0 ? with : std::min(hoursBest, with);
    }
    figure("replay_plain_s", plainBest);
    figure("replay_hours_hourly_s", hoursBest);
    figure("replay_hours_hourly_change_pct", 100.0 * (hoursBest - plainBest) / plainBest);
    return true;
}

int openInWindow(int argc, char **argv, const QString &path)
{
    QApplication app(argc, argv);
    SweepHistory history;
    HistoryStatistics statistics(history);
    Recorder recorder;
    MonitorActions actions;
    HistoryWindow window(history, statistics, recorder, actions, savepath::fileDialog());
    window.show();
    QElapsedTimer clock;
    FirstPaint watcher(window, clock);
    window.findChild<WaterfallView *>(QStringLiteral("waterfall"))
        ->viewport()
        ->installEventFilter(&watcher);
    clock.start();
    window.openRecording(path);
    return QApplication::exec();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && QLatin1String(argv[1]) == QLatin1String("window")) {
        return openInWindow(argc, argv, QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 3 && arguments[1] == QLatin1String("generate")) {
        const QString error =
            surveygenerator::write(arguments[2], surveygenerator::kDaySweeps, kFirstUtcMs);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "replay-bench: %s\n", qPrintable(error));
            return 1;
        }
        return 0;
    }

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("day.csv"));
    const QString error = surveygenerator::write(path, surveygenerator::kDaySweeps, kFirstUtcMs);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "replay-bench: %s\n", qPrintable(error));
        return 1;
    }
    figure("file_mib", static_cast<double>(QFileInfo(path).size()) / kMiB);

    const double rssBefore = processusage::peakResidentMiB();
    QElapsedTimer clock;
    clock.start();
    const RecordingRead read = RecordingReader::readFile(path);
    const double readSeconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    figure("reader_sweeps", static_cast<double>(read.recording.rows()));
    figure("reader_seconds", readSeconds);
    figure("reader_sweeps_per_s", static_cast<double>(read.recording.rows()) / readSeconds);
    figure("reader_bytes_per_sweep", static_cast<double>(read.recording.memoryUse()) /
                                         static_cast<double>(read.recording.rows()));
    figure("reader_rss_growth_mib", processusage::peakResidentMiB() - rssBefore);

    QProcess scan;
    scan.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    clock.restart();
    scan.start(QStringLiteral(KVT318_SCAN_PATH),
               {QStringLiteral("-q"), QStringLiteral("--replay"), path, QStringLiteral("--summary"),
                dir.filePath(QStringLiteral("summary.csv"))});
    if (!scan.waitForFinished(kReplayTimeoutMs) || scan.exitCode() != 0) {
        std::fprintf(stderr, "replay-bench: kvt318-scan --replay failed\n");
        return 1;
    }
    const double replaySeconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    figure("replay_seconds", replaySeconds);
    figure("replay_sweeps_per_s", static_cast<double>(surveygenerator::kDaySweeps) / replaySeconds);
    figure("replay_rss_peak_mib", childrenPeakMiB());
    if (!hoursCost(dir, path)) {
        std::fprintf(stderr, "replay-bench: kvt318-scan --replay --hours --hourly failed\n");
        return 1;
    }
    statisticsCost();

    QProcess window;
    window.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    window.start(QCoreApplication::applicationFilePath(), {QStringLiteral("window"), path});
    if (!window.waitForFinished(kReplayTimeoutMs) || window.exitCode() != 0) {
        std::fprintf(stderr, "replay-bench: the history window did not show the recording\n");
        return 1;
    }
    std::fputs(window.readAllStandardOutput().constData(), stdout);
    return 0;
}
