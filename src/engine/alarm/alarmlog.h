#pragma once

#include "engine/record/spaceguard.h"

#include <QFile>
#include <QString>

#include <utility>
#include <vector>

struct AlarmEvent;

// The alarm log: CSV, appended to so that an earlier log is never overwritten, the header only
// at the top of a new or empty file, each event on the disk before write() returns. Below the
// free-space floor events are left out of it and counted. Errors read "FILE: reason".
class AlarmLog
{
public:
    explicit AlarmLog(const QString &path, qint64 minFreeBytes = 0);

    [[nodiscard]] bool open();
    // Closes the file and opens it again at its name, for a log moved away.
    [[nodiscard]] bool reopen();
    [[nodiscard]] bool write(const AlarmEvent &event);
    // A pause for want of room or its end, since the last call.
    [[nodiscard]] std::vector<FileNotice> takeNotices() { return std::exchange(m_notices, {}); }
    [[nodiscard]] QString errorString() const { return m_error; }

private:
    bool writeLine(const QByteArray &line);

    QFile m_file;
    SpaceGuard m_guard;
    std::vector<FileNotice> m_notices;
    QString m_error;
};
