#include "processusage.h"

#include <QFile>

#include <sys/resource.h>

namespace processusage {

namespace {

constexpr double kMicrosPerSecond = 1e6;
constexpr double kKiBPerMiB = 1024.0;

rusage self()
{
    rusage usage = {};
    if (::getrusage(RUSAGE_SELF, &usage) != 0) {
        return {};
    }
    return usage;
}

double seconds(const timeval &t)
{
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / kMicrosPerSecond;
}

} // namespace

double cpuSeconds()
{
    const rusage usage = self();
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

long long wakeUps()
{
    return self().ru_nvcsw;
}

double peakResidentMiB()
{
    // Linux reports ru_maxrss in KiB.
    return static_cast<double>(self().ru_maxrss) / kKiBPerMiB;
}

double residentMiB(long long pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1.0;
    }
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').first().toDouble() / kKiBPerMiB;
        }
    }
    return -1.0;
}

} // namespace processusage
