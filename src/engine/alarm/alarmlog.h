#pragma once

#include <QFile>
#include <QString>

struct AlarmEvent;

// The alarm log: CSV, appended to so that an earlier log is never overwritten, the header only
// at the top of a new or empty file, each event on the disk before write() returns. Errors
// read "FILE: reason".
class AlarmLog
{
public:
    explicit AlarmLog(const QString &path);

    [[nodiscard]] bool open();
    [[nodiscard]] bool write(const AlarmEvent &event);
    [[nodiscard]] QString errorString() const { return m_error; }

private:
    bool writeLine(const QByteArray &line);

    QFile m_file;
    QString m_error;
};
