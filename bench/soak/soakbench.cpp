// kvt318-scan left alone for a long time: unpaced sweeps from the simulator with --rotate 1s and
// a SIGHUP every 3 s, every third one after the current file was moved away as logrotate moves
// it. Afterwards every file must start with its header and hold only whole rows, and the rows of
// all files together must be every sweep exactly once, in order within each file. Resident
// memory and open descriptors are sampled throughout and must stay flat. The simulator keeps no
// log: a million sweeps of it would fill gigabytes.
// Usage: soak-bench [SWEEPS]   (default 1000000). Prints "name value" lines.
#include "processusage.h"
#include "simprocess.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <signal.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr qint64 kDefaultSweeps = 1000000;
constexpr int kHangUpEveryMs = 3000;
constexpr int kMoveEveryHangUps = 3;
constexpr int kSampleMs = 250;
// Memory and descriptors count from the point about this many sweeps are on the disk.
constexpr qint64 kSettledSweeps = 1000;
// A CSV row of a sweep is about this long; enough to tell when the first thousand are written.
constexpr qint64 kRowBytes = 240;
constexpr int kColumns = 42;

void print(const char *name, double value)
{
    std::printf("%s %.3f\n", name, value);
    std::fflush(stdout);
}

int openDescriptors(qint64 pid)
{
    return static_cast<int>(QDir(QStringLiteral("/proc/%1/fd").arg(pid))
                                .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                                .size());
}

QString scanProgram()
{
    return qEnvironmentVariableIsEmpty("KVT318_SCAN") ? QStringLiteral(KVT318_SCAN_PATH)
                                                      : qEnvironmentVariable("KVT318_SCAN");
}

QFileInfoList recordFiles(const QDir &dir)
{
    return dir.entryInfoList({QStringLiteral("soak*.csv")}, QDir::Files, QDir::Name);
}

qint64 bytesWritten(const QDir &dir, const QDir &moved)
{
    qint64 bytes = 0;
    for (const QDir &folder : {dir, moved}) {
        for (const QFileInfo &file : recordFiles(folder)) {
            bytes += file.size();
        }
    }
    return bytes;
}

struct Check
{
    std::vector<qint64> sweeps;
    qint64 files = 0;
    qint64 badFiles = 0;
    qint64 unordered = 0;
};

// Reads one file: its header, whole rows of 42 columns, sweep numbers rising.
void readFile(const QString &path, Check &check)
{
    QFile file(path);
    ++check.files;
    if (!file.open(QIODevice::ReadOnly)) {
        ++check.badFiles;
        return;
    }
    const QByteArray text = file.readAll();
    const QList<QByteArray> lines = text.split('\n');
    bool whole = text.endsWith('\n') && lines.first().startsWith("time,sweep,");
    qint64 previous = 0;
    for (qsizetype i = 1; whole && i + 1 < lines.size(); ++i) {
        const QList<QByteArray> fields = lines.at(i).split(',');
        bool number = false;
        const qint64 sweep = fields.size() == kColumns ? fields.at(1).toLongLong(&number) : 0;
        whole = number;
        if (sweep <= previous) {
            ++check.unordered;
        }
        previous = sweep;
        check.sweeps.push_back(sweep);
    }
    if (!whole) {
        ++check.badFiles;
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const qint64 sweeps = argc > 1 ? QByteArray(argv[1]).toLongLong() : kDefaultSweeps;
    if (sweeps <= kSettledSweeps) {
        std::fprintf(stderr, "soak-bench: SWEEPS must be over %lld\n", kSettledSweeps);
        return 2;
    }
    QTemporaryDir temp;
    SimProcess sim;
    if (!temp.isValid() || !sim.start({"--baud", "0", "--mode", "04", "--log", "/dev/null"})) {
        std::fputs("soak-bench: the simulator did not start\n", stderr);
        return 1;
    }
    const QDir dir(temp.path());
    dir.mkdir(QStringLiteral("moved"));
    const QDir moved(dir.filePath(QStringLiteral("moved")));

    QProcess scan;
    scan.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    scan.start(scanProgram(), {"-q", "--sweeps", QString::number(sweeps), "--rotate", "1s", "-o",
                               dir.filePath(QStringLiteral("soak.csv")), sim.devicePath()});
    if (!scan.waitForStarted()) {
        std::fputs("soak-bench: kvt318-scan did not start\n", stderr);
        return 1;
    }
    const qint64 pid = scan.processId();
    double settledRss = -1.0;
    double peakRss = 0.0;
    int settledFds = -1;
    int peakFds = 0;
    int hangUps = 0;
    int moves = 0;
    QElapsedTimer wall;
    wall.start();
    qint64 nextHangUp = kHangUpEveryMs;
    while (!scan.waitForFinished(kSampleMs)) {
        const double rss = processusage::residentMiB(pid);
        const int fds = openDescriptors(pid);
        if (settledRss < 0 && bytesWritten(dir, moved) >= kSettledSweeps * kRowBytes) {
            settledRss = rss;
            settledFds = fds;
        }
        if (settledRss >= 0) {
            peakRss = std::max(peakRss, rss);
            peakFds = std::max(peakFds, fds);
        }
        if (wall.elapsed() < nextHangUp) {
            continue;
        }
        nextHangUp += kHangUpEveryMs;
        ++hangUps;
        const QFileInfoList current = recordFiles(dir);
        if (hangUps % kMoveEveryHangUps == 0 && !current.isEmpty()) {
            const QFileInfo newest = current.last();
            if (QFile::rename(
                    newest.filePath(),
                    moved.filePath(
                        QStringLiteral("soak-moved-%1-%2").arg(moves).arg(newest.fileName())))) {
                ++moves;
            }
        }
        ::kill(static_cast<pid_t>(pid), SIGHUP);
    }
    const double seconds = static_cast<double>(wall.elapsed()) / 1000.0;

    Check check;
    for (const QDir &folder : {dir, moved}) {
        for (const QFileInfo &file : recordFiles(folder)) {
            readFile(file.filePath(), check);
        }
    }
    std::sort(check.sweeps.begin(), check.sweeps.end());
    const auto distinct =
        std::unique(check.sweeps.begin(), check.sweeps.end()) - check.sweeps.begin();
    const auto doubled = static_cast<qint64>(check.sweeps.size()) - distinct;
    check.sweeps.resize(static_cast<std::size_t>(distinct));
    qint64 missing = sweeps - distinct;
    if (!check.sweeps.empty() && (check.sweeps.front() != 1 || check.sweeps.back() != sweeps)) {
        missing = std::max<qint64>(missing, 1);
    }

    print("soak_exit_code", scan.exitCode());
    print("soak_sweeps", static_cast<double>(sweeps));
    print("soak_seconds", seconds);
    print("soak_files", static_cast<double>(check.files));
    print("soak_hangups", hangUps);
    print("soak_moves", moves);
    print("soak_bad_files", static_cast<double>(check.badFiles));
    print("soak_unordered_rows", static_cast<double>(check.unordered));
    print("soak_missing", static_cast<double>(missing));
    print("soak_doubled", static_cast<double>(doubled));
    print("soak_rss_settled_mib", settledRss);
    print("soak_rss_peak_mib", peakRss);
    print("soak_rss_growth_mib", peakRss - settledRss);
    print("soak_fds_settled", settledFds);
    print("soak_fds_peak", peakFds);
    return 0;
}
