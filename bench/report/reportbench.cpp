// A day's Air Monitor recording (250,000 sweeps) to a survey report: kvt318-scan --replay FILE
// --report OUT in a process of its own. Prints "name value" lines for bench/run: the seconds of
// the fastest of three runs and the peak resident memory of the largest.
//
//   report-bench                 generate a day into a scratch folder and measure
//   report-bench FILE            measure on FILE
#include "benchfigures.h"
#include "surveygenerator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>

namespace {

constexpr qint64 kFirstUtcMs = 1796601600000; // 2026-12-07T00:00:00Z
constexpr int kRounds = 3;
constexpr int kTimeoutMs = 10 * 60 * 1000;
constexpr double kMiB = 1024.0 * 1024.0;

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    QString recording = app.arguments().value(1);
    if (recording.isEmpty()) {
        recording = dir.filePath(QStringLiteral("day.csv"));
        const QString error =
            surveygenerator::write(recording, surveygenerator::kDaySweeps, kFirstUtcMs);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "report-bench: %s\n", qPrintable(error));
            return 1;
        }
    }
    const QString report = dir.filePath(QStringLiteral("day.pdf"));
    double fastest = 0.0;
    for (int round = 0; round < kRounds; ++round) {
        QProcess scan;
        QElapsedTimer clock;
        clock.start();
        scan.start(QStringLiteral(KVT318_SCAN_PATH),
                   {QStringLiteral("-q"), QStringLiteral("--replay"), recording,
                    QStringLiteral("--plan"), QStringLiteral("4"), QStringLiteral("--report"),
                    report});
        // The plan on standard error is said only when something went wrong.
        if (!scan.waitForFinished(kTimeoutMs) || scan.exitCode() != 0) {
            std::fprintf(stderr, "report-bench: kvt318-scan failed:\n%s\n",
                         scan.readAllStandardError().constData());
            return 1;
        }
        const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        fastest = round == 0 ? seconds : std::min(fastest, seconds);
    }
    figure("report_sweeps", static_cast<double>(surveygenerator::kDaySweeps));
    figure("recording_mib", static_cast<double>(QFileInfo(recording).size()) / kMiB);
    figure("report_seconds", fastest);
    figure("report_rss_peak_mib", childrenPeakMiB());
    figure("report_kib", static_cast<double>(QFileInfo(report).size()) / 1024.0);
    return 0;
}
