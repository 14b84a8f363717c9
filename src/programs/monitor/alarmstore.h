#pragma once

#include "engine/alarm/alarmwatch.h"

#include <QList>
#include <QString>

// The alarm rules and the notification choices kept for the user in their configuration
// folder (kvt318-monitor/alarms.ini), apart from the window's own settings file. Rules given
// for one session are never written.
class AlarmStore
{
public:
    struct Contents
    {
        QList<AlarmRuleEntry> rules;
        bool notify = true;
        bool sound = false;
    };

    // The user's file by default; another path for tests.
    explicit AlarmStore(QString path = defaultPath());

    [[nodiscard]] Contents load() const;
    // False with the reason when the file could not be written.
    bool save(const Contents &contents, QString &error) const;

    [[nodiscard]] static QString defaultPath();

private:
    QString m_path;
};
