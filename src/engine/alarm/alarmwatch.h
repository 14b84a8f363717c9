#pragma once

#include "engine/alarm/alarmengine.h"
#include "engine/alarm/alarmevent.h"

#include <QList>
#include <QObject>

#include <deque>
#include <memory>

struct SweepRecord;

// A rule as a window keeps it: switched on or off, and kept for the next session or given on
// the command line for this one only.
struct AlarmRuleEntry
{
    QString text;
    bool enabled = true;
    bool sessionOnly = false;

    bool operator==(const AlarmRuleEntry &other) const
    {
        return text == other.text && enabled == other.enabled && sessionOnly == other.sessionOnly;
    }
};

// The alarms of a window: its rules, the engine that applies the enabled ones to each complete
// sweep, and the last events.
class AlarmWatch : public QObject
{
    Q_OBJECT

public:
    static constexpr std::size_t kEventsKept = 100;

    explicit AlarmWatch(QObject *parent = nullptr);
    ~AlarmWatch() override;

    // Applies all of the rules, or none of them: the error names the first that cannot be read.
    // Alarms raised under the rules replaced end.
    [[nodiscard]] QString setRules(const QList<AlarmRuleEntry> &rules);
    [[nodiscard]] const QList<AlarmRuleEntry> &rules() const { return m_rules; }

    void addSweep(const SweepRecord &sweep);
    // The run stopped: raised alarms end with this reason.
    void end(const QString &reason);

    [[nodiscard]] std::vector<AlarmEngine::Active> active() const { return m_engine->active(); }
    [[nodiscard]] const AlarmEngine &engine() const { return *m_engine; }
    // The newest last.
    [[nodiscard]] const std::deque<AlarmEvent> &events() const { return m_events; }
    // The time of the latest sweep, for how long the raised alarms have lasted.
    [[nodiscard]] qint64 lastUtcMs() const { return m_lastUtcMs; }

Q_SIGNALS:
    void happened(const AlarmEvent &event);
    void rulesChanged();

private:
    void take(const std::vector<AlarmEvent> &events);

    QList<AlarmRuleEntry> m_rules;
    std::unique_ptr<AlarmEngine> m_engine;
    std::deque<AlarmEvent> m_events;
    qint64 m_lastUtcMs = 0;
};
