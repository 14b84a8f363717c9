#include "engine/alarm/alarmlog.h"

#include "engine/alarm/alarmevent.h"

#include <vector>

AlarmLog::AlarmLog(const QString &path, qint64 minFreeBytes, QObject *parent)
    : QObject(parent)
    , m_file(path)
    , m_guard(SpaceGuard::forFile(path, minFreeBytes))
{}

bool AlarmLog::open()
{
    // Unbuffered: a row that fails leaves nothing behind to be written later.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        m_error = m_file.fileName() + QLatin1String(": ") + m_file.errorString();
        return false;
    }
    return m_file.size() > 0 || writeLine(alarms::csvHeader());
}

bool AlarmLog::reopen()
{
    m_file.close();
    return open();
}

void AlarmLog::take(const AlarmEvent &event, const AlarmEngine & /*engine*/)
{
    if (!m_error.isEmpty()) {
        return;
    }
    std::vector<FileNotice> notices;
    const bool admitted = m_guard.admits(m_file.fileName(), notices);
    for (const FileNotice &notice : notices) {
        Q_EMIT noticed(notice);
    }
    if (!admitted) {
        m_guard.drop();
        return;
    }
    writeLine(alarms::csvRow(event));
}

bool AlarmLog::writeLine(const QByteArray &line)
{
    const qint64 end = m_file.size();
    // A short write carries no reason; writing the rest gives the system's.
    for (qint64 written = 0; written < line.size();) {
        const qint64 count = m_file.write(line.constData() + written, line.size() - written);
        if (count <= 0) {
            m_error = m_file.fileName() + QLatin1String(": ") + m_file.errorString();
            // No torn row for the next run to append to.
            Q_UNUSED(m_file.resize(end))
            return false;
        }
        written += count;
    }
    return true;
}
