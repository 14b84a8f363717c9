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
    if (m_file.write(line) != line.size() || !m_file.flush()) {
        m_error = m_file.fileName() + QLatin1String(": ") + m_file.errorString();
        return false;
    }
    return true;
}
