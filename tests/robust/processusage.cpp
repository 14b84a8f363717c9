#include "processusage.h"

#include <QFile>

#include <sys/resource.h>

namespace processusage {

namespace {
constexpr qint64 kBytesPerKiB = 1024;

std::chrono::microseconds toMicros(const timeval &time)
{
    return std::chrono::seconds(time.tv_sec) + std::chrono::microseconds(time.tv_usec);
}
} // namespace

std::optional<qint64> residentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    // Files under /proc report no size, so read to the end rather than asking for atEnd().
    const QList<QByteArray> lines = status.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (!line.startsWith("VmRSS:")) {
            continue;
        }
        // "VmRSS:     12345 kB"
        const QList<QByteArray> parts = line.simplified().split(' ');
        bool ok = false;
        const qint64 kib = parts.size() >= 2 ? parts.at(1).toLongLong(&ok) : 0;
        return ok ? std::optional<qint64>(kib * kBytesPerKiB) : std::nullopt;
    }
    return std::nullopt;
}

std::chrono::microseconds cpuTime()
{
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0) {
        return {};
    }
    return toMicros(usage.ru_utime) + toMicros(usage.ru_stime);
}

} // namespace processusage
