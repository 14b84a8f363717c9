// kvt318-scan against the simulator: its CPU while sweeping at 19200 baud, its sweep rate with
// an output whose every write takes 500 ms beside one that takes none, its resident memory over
// a long unpaced run; and in-process, what recording one sweep costs in each format.
// Usage: scan-bench [SWEEPS]   (the memory run's length, default 100000)
//        scan-bench cpu        (the CPU figures alone)
// Prints "name value" lines.
#include "engine/protocol/reading.h"
#include "engine/record/channelstatistics.h"
#include "engine/record/recorder.h"
#include "processusage.h"
#include "simprocess.h"
#include "sweeplog.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kPacedSeconds = 30;
constexpr int kRateSeconds = 20;
constexpr int kRateRounds = 3;
constexpr auto kSlowWrite = std::chrono::milliseconds(500);
// A row of the CSV is about 240 bytes: taking this much from the pipe lets one more in.
constexpr std::size_t kRowBytes = 256;
constexpr qint64 kSettledSweeps = 1000;
constexpr int kRecorderSweeps = 20000;
constexpr int kBatch = 1000;

void print(const char *name, double value)
{
    std::printf("%s %.3f\n", name, value);
    std::fflush(stdout);
}

rusage children()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage;
}

double childCpuSeconds()
{
    const rusage usage = children();
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

QString scanProgram()
{
    return qEnvironmentVariableIsEmpty("KVT318_SCAN") ? QStringLiteral(KVT318_SCAN_PATH)
                                                      : qEnvironmentVariable("KVT318_SCAN");
}

// CPU share of one core that kvt318-scan takes sweeping a paced module, and its wake-ups
// (voluntary context switches) per command; the simulator, still running, is not in the
// children's figures yet. `delivery` names how the simulator hands its bytes over.
void pacedCpu(const std::string &name, const QString &mode, const QStringList &delivery = {})
{
    SimProcess sim;
    if (!sim.start(QStringList{"--baud", "19200", "--mode", mode} + delivery)) {
        std::fprintf(stderr, "scan-bench: the simulator did not start\n");
        return;
    }
    QProcess scan;
    scan.setStandardOutputFile(QProcess::nullDevice());
    const double cpuBefore = childCpuSeconds();
    const long wakeUpsBefore = children().ru_nvcsw;
    QElapsedTimer wall;
    wall.start();
    scan.start(scanProgram(), {"-q", "--duration", QString::number(kPacedSeconds), "--format",
                               "jsonl", sim.devicePath()});
    if (!scan.waitForFinished((kPacedSeconds + 30) * 1000) || scan.exitCode() != 0) {
        std::fprintf(stderr, "scan-bench: kvt318-scan failed: %s\n",
                     scan.readAllStandardError().constData());
        return;
    }
    const double seconds = static_cast<double>(wall.elapsed()) / 1000.0;
    const double cpu = childCpuSeconds() - cpuBefore;
    print(name.c_str(), 100.0 * cpu / seconds);
    const auto commands = static_cast<double>(sim.commands().size());
    if (commands > 0) {
        print((name + "_us_per_exchange").c_str(), 1e6 * cpu / commands);
        print((name + "_wakeups_per_exchange").c_str(),
              static_cast<double>(children().ru_nvcsw - wakeUpsBefore) / commands);
    }
}

void pacedCpuBothDeliveries()
{
    const QStringList packets{"--packets", "reply"};
    pacedCpu("scan_cpu_am_paced_pct", QStringLiteral("04"));
    pacedCpu("scan_cpu_fsk_paced_pct", QStringLiteral("01"));
    pacedCpu("scan_cpu_am_paced_packets_pct", QStringLiteral("04"), packets);
    pacedCpu("scan_cpu_fsk_paced_packets_pct", QStringLiteral("01"), packets);
}

// A named pipe already full, from which a thread takes one row's bytes every half second: each
// write of kvt318-scan into it takes 500 ms.
class SlowPipe
{
public:
    explicit SlowPipe(const QString &path)
    {
        if (::mkfifo(QFile::encodeName(path).constData(), 0600) != 0) {
            return;
        }
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NONBLOCK);
        const std::vector<char> filler(kRowBytes, '#');
        while (m_fd >= 0 && ::write(m_fd, filler.data(), filler.size()) > 0) {
        }
        m_reader = std::thread([this] {
            std::vector<char> row(kRowBytes);
            while (!m_done) {
                std::this_thread::sleep_for(kSlowWrite);
                [[maybe_unused]] const ssize_t taken = ::read(m_fd, row.data(), row.size());
            }
        });
    }
    ~SlowPipe()
    {
        m_done = true;
        if (m_reader.joinable()) {
            m_reader.join();
        }
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    SlowPipe(const SlowPipe &) = delete;
    SlowPipe &operator=(const SlowPipe &) = delete;
    [[nodiscard]] bool ok() const { return m_fd >= 0; }

private:
    int m_fd = -1;
    std::atomic<bool> m_done{false};
    std::thread m_reader;
};

// Sweeps per second of a paced Air Monitor run into `output`, from the simulator's log: the
// measurements between the first and the last.
double sweepRate(const QString &output)
{
    SimProcess sim;
    if (!sim.start({"--baud", "19200", "--mode", "04"})) {
        return -1.0;
    }
    QProcess scan;
    scan.start(scanProgram(),
               {"-q", "--duration", QString::number(kRateSeconds), "-o", output, sim.devicePath()});
    // The slow output ends with rows not written, exit status 1: only the rate counts here.
    if (!scan.waitForFinished((kRateSeconds + 30) * 1000)) {
        return -1.0;
    }
    const QList<SweepLog::Measurement> measured = SweepLog(sim.log()).measurements();
    if (measured.size() < 2) {
        return -1.0;
    }
    const double seconds =
        static_cast<double>(measured.last().micros - measured.first().micros) / 1e6;
    return static_cast<double>(measured.size() - 1) / 40.0 / seconds;
}

void slowOutputRate()
{
    QTemporaryDir dir;
    std::vector<double> plain;
    std::vector<double> slow;
    for (int round = 0; round < kRateRounds; ++round) {
        plain.push_back(sweepRate(QStringLiteral("/dev/null")));
        const QString path = dir.filePath(QStringLiteral("slow-%1").arg(round));
        const SlowPipe pipe(path);
        if (!pipe.ok()) {
            std::fprintf(stderr, "scan-bench: %s: cannot make the slow pipe\n", qPrintable(path));
            return;
        }
        slow.push_back(sweepRate(path));
        print("scan_am_paced_sweep_rate_plain_round", plain.back());
        print("scan_am_paced_sweep_rate_slow_output_round", slow.back());
    }
    const double plainRate = *std::max_element(plain.begin(), plain.end());
    const double slowRate = *std::max_element(slow.begin(), slow.end());
    print("scan_am_paced_sweep_rate_plain", plainRate);
    print("scan_am_paced_sweep_rate_slow_output", slowRate);
    print("scan_am_paced_sweep_rate_slow_output_change",
          100.0 * (slowRate - plainRate) / plainRate);
}

// Resident memory once the first sweeps are done and the most it reaches up to `sweeps`.
void memoryOverLongRun(qint64 sweeps)
{
    SimProcess sim;
    if (!sim.start({"--baud", "0", "--mode", "04"})) {
        return;
    }
    QProcess scan;
    scan.start(scanProgram(), {"-q", "--sweeps", QString::number(sweeps), sim.devicePath()});
    if (!scan.waitForStarted()) {
        return;
    }
    qint64 rows = -1; // the header
    double settled = -1.0;
    double highest = 0.0;
    QElapsedTimer wall;
    wall.start();
    while (scan.state() == QProcess::Running) {
        scan.waitForReadyRead(500);
        rows += scan.readAllStandardOutput().count('\n');
        const double rss = processusage::residentMiB(scan.processId());
        if (rss < 0) {
            continue;
        }
        if (settled < 0 && rows >= kSettledSweeps) {
            settled = rss;
        }
        highest = std::max(highest, rss);
    }
    rows += scan.readAllStandardOutput().count('\n');
    print("long_run_sweeps", static_cast<double>(rows));
    print("long_run_seconds", static_cast<double>(wall.elapsed()) / 1000.0);
    print("long_run_rss_after_1000_mib", settled);
    print("long_run_rss_peak_mib", highest);
    print("long_run_rss_growth_mib", highest - settled);
}

// Median cost on the sweep's thread of taking one sweep's 40 readings through the statistics,
// the assembler and the queue of a file sink; and the writer thread's time per row, from the
// first row to the last one written. The sweeps come in batches that the queue holds, each once
// the writer has caught up, as far faster than any module as the loop can go.
void recorderCost(const char *name, RecordFormat format)
{
    QTemporaryDir dir;
    ChannelStatistics statistics;
    Recorder recorder;
    QObject::connect(&recorder, &Recorder::readingTaken, &recorder,
                     [&statistics](const Reading &reading) { statistics.addReading(reading); });
    if (!recorder.start(dir.filePath(QStringLiteral("sweeps")), format)) {
        return;
    }
    std::vector<double> micros;
    micros.reserve(kRecorderSweeps);
    qint64 t = 1796628600000;
    const auto first = std::chrono::steady_clock::now();
    const qint64 rowsPerSweep = format == RecordFormat::Long ? 40 : 1;
    for (int sweep = 0; sweep < kRecorderSweeps; ++sweep) {
        while (sweep % kBatch == 0 && recorder.isRecording() &&
               recorder.rowsWritten() < sweep * rowsPerSweep) {
            std::this_thread::yield();
        }
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < 40; ++i) {
            recorder.addReading(Reading{i, static_cast<qint16>(-120 + (sweep + i) % 70), t += 2,
                                        RadioMode::AirMonitor});
        }
        micros.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count());
    }
    const qint64 rows = rowsPerSweep * kRecorderSweeps;
    if (!recorder.finish(std::chrono::minutes(1)).isEmpty() || !recorder.lastError().isEmpty()) {
        std::fprintf(stderr, "scan-bench: %s\n", qPrintable(recorder.lastError()));
        return;
    }
    const double writerMicros =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - first)
            .count() /
        static_cast<double>(rows);
    std::nth_element(micros.begin(), micros.begin() + kRecorderSweeps / 2, micros.end());
    print(name, micros[kRecorderSweeps / 2]);
    print((std::string(name) + "_writer_us_per_row").c_str(), writerMicros);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("KVT318_SIM")) {
        qputenv("KVT318_SIM", KVT318_SIM_PATH);
    }
    if (argc > 1 && QByteArray(argv[1]) == "cpu") {
        pacedCpuBothDeliveries();
        return 0;
    }
    const qint64 sweeps = argc > 1 ? QByteArray(argv[1]).toLongLong() : 100000;
    recorderCost("recorder_us_per_sweep_csv", RecordFormat::Csv);
    recorderCost("recorder_us_per_sweep_jsonl", RecordFormat::Jsonl);
    recorderCost("recorder_us_per_sweep_long", RecordFormat::Long);
    pacedCpuBothDeliveries();
    slowOutputRate();
    memoryOverLongRun(sweeps > 0 ? sweeps : 100000);
    return 0;
}
