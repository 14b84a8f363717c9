#pragma once

#include "engine/alarm/alarmaction.h"
#include "engine/alarm/alarmengine.h"
#include "engine/alarm/alarmevent.h"

#include <QList>
#include <QObject>

#include <array>
#include <deque>
#include <memory>
#include <vector>

struct Reading;
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

// The alarms of a program: its rules, the engine that applies the enabled ones to each complete
// sweep (or, for a run of a single channel, to each reading), the last events, and the actions
// that every event goes to, in the order they were added. An action that fails for good takes
// no more events and is reported once.
class AlarmWatch : public QObject
{
    Q_OBJECT

public:
    static constexpr std::size_t kEventsKept = 100;

    // What the engine watches; the other input is passed over.
    enum class Input { Sweeps, Readings };

    explicit AlarmWatch(QObject *parent = nullptr);
    // Rules already read, for the whole run.
    AlarmWatch(std::vector<AlarmRule> rules, Input input, QObject *parent = nullptr);
    ~AlarmWatch() override;

    // Applies all of the rules, or none of them: the error names the first that cannot be read.
    // Alarms raised under the rules replaced end.
    [[nodiscard]] QString setRules(const QList<AlarmRuleEntry> &rules);
    [[nodiscard]] const QList<AlarmRuleEntry> &rules() const { return m_rules; }

    void addAction(std::unique_ptr<AlarmAction> action);

    // Each false when an action failed for good on their events; errorString() says why.
    bool addSweep(const SweepRecord &sweep);
    bool addReading(const Reading &reading);
    // The run stopped, lost its port or the recording breaks: raised alarms end with this reason.
    bool end(const QString &reason);
    // An event decided elsewhere (by a scanner watched through a broker): kept and handed to
    // the actions as the engine's own are.
    bool addDecided(const AlarmEvent &event);

    [[nodiscard]] std::vector<AlarmEngine::Active> active() const { return m_engine->active(); }
    [[nodiscard]] const AlarmEngine &engine() const { return *m_engine; }
    // The newest last.
    [[nodiscard]] const std::deque<AlarmEvent> &events() const { return m_events; }
    // Events so far, by kind (raised, cleared, ended).
    [[nodiscard]] const std::array<qint64, 3> &eventCounts() const { return m_eventCounts; }
    // The time of the latest sweep, for how long the raised alarms have lasted.
    [[nodiscard]] qint64 lastUtcMs() const { return m_lastUtcMs; }
    // The last failure of an action: "FILE: reason" for the log.
    [[nodiscard]] QString errorString() const { return m_error; }

Q_SIGNALS:
    void happened(const AlarmEvent &event);
    void rulesChanged();
    // An action failed for good; it takes no more events.
    void failed(const QString &reason);

private:
    struct Action
    {
        std::unique_ptr<AlarmAction> action;
        bool failed = false;
    };

    bool take(const std::vector<AlarmEvent> &events);

    QList<AlarmRuleEntry> m_rules;
    Input m_input = Input::Sweeps;
    std::unique_ptr<AlarmEngine> m_engine;
    std::vector<Action> m_actions;
    std::deque<AlarmEvent> m_events;
    std::array<qint64, 3> m_eventCounts{};
    qint64 m_lastUtcMs = 0;
    QString m_error;
};
