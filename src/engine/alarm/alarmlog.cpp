#include "engine/alarm/alarmlog.h"

#include "engine/alarm/alarmevent.h"

AlarmLog::AlarmLog(const QString &path, qint64 minFreeBytes)
    : m_file(path)
    , m_guard(SpaceGuard::forFile(path, minFreeBytes))
{}

bool AlarmLog::open()
{
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append)) {
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

bool AlarmLog::write(const AlarmEvent &event)
{
    if (!m_guard.admits(m_file.fileName(), m_notices)) {
        m_guard.drop();
        return true;
    }
    return writeLine(alarms::csvRow(event));
}

bool AlarmLog::writeLine(const QByteArray &line)
{
    if (m_file.write(line) != line.size() || !m_file.flush()) {
        m_error = m_file.fileName() + QLatin1String(": ") + m_file.errorString();
        return false;
    }
    return true;
}
