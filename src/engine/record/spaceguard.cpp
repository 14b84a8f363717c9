#include "engine/record/spaceguard.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/statvfs.h>
#endif

SpaceGuard::SpaceGuard(qint64 floorBytes)
    : m_floor(floorBytes)
{}

SpaceGuard SpaceGuard::forFile(const QString &path, qint64 floorBytes)
{
    const QFileInfo info(path);
    const bool special = path == QLatin1String("-") || (info.exists() && !info.isFile());
    return SpaceGuard(special ? 0 : floorBytes);
}

bool SpaceGuard::admits(const QString &path, std::vector<FileNotice> &notices, bool now)
{
    if (m_floor <= 0) {
        return true;
    }
    const Clock::time_point time = Clock::now();
    if (!now && time < m_nextCheck) {
        return !m_paused;
    }
    m_nextCheck = time + kCheckInterval;
    // A system that cannot tell leaves the file to fail on its own.
    const std::optional<qint64> free = freeBytes(path);
    if (!free) {
        return !m_paused;
    }
    const qint64 needed = m_paused ? m_floor + m_floor / kResumeMarginDivisor : m_floor;
    const bool paused = *free < needed;
    if (paused && !m_paused) {
        m_droppedSincePause = 0;
        notices.push_back({FileNotice::Kind::Paused, path, *free, m_floor, 0, {}});
    } else if (!paused && m_paused) {
        notices.push_back(
            {FileNotice::Kind::Resumed, path, *free, m_floor, m_droppedSincePause, {}});
    }
    m_paused = paused;
    return !m_paused;
}

void SpaceGuard::drop()
{
    ++m_dropped;
    ++m_droppedSincePause;
}

std::optional<qint64> SpaceGuard::freeBytes(const QString &path)
{
#ifdef Q_OS_UNIX
    const QFileInfo info(path);
    const QString existing = info.exists() ? path : info.absolutePath();
    struct statvfs status = {};
    if (::statvfs(QFile::encodeName(existing).constData(), &status) != 0) {
        return std::nullopt;
    }
    return static_cast<qint64>(status.f_bavail) * static_cast<qint64>(status.f_frsize);
#else
    Q_UNUSED(path)
    return std::nullopt;
#endif
}
