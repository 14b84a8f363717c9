#pragma once

#include "engine/alarm/alarmaction.h"
#include "engine/record/spaceguard.h"

#include <QFile>
#include <QObject>
#include <QString>

// The alarm log: CSV, appended to so that an earlier log is never overwritten, the header only
// at the top of a new or empty file, each event on the disk before take() returns. Below the
// free-space floor events are left out of it and counted. Errors read "FILE: reason"; a log
// that could not be written takes nothing more.
class AlarmLog : public QObject, public AlarmAction
{
    Q_OBJECT

public:
    explicit AlarmLog(const QString &path, qint64 minFreeBytes = 0, QObject *parent = nullptr);

    [[nodiscard]] bool open();
    // Closes the file and opens it again at its name, for a log moved away.
    [[nodiscard]] bool reopen();
    void take(const AlarmEvent &event, const AlarmEngine &engine) override;
    [[nodiscard]] QString failure() const override { return m_error; }
    [[nodiscard]] QString errorString() const { return m_error; }

Q_SIGNALS:
    // The log paused for want of room, or resumed.
    void noticed(const FileNotice &notice);

private:
    bool writeLine(const QByteArray &line);

    QFile m_file;
    SpaceGuard m_guard;
    QString m_error;
};
