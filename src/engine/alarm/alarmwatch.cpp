#include "engine/alarm/alarmwatch.h"

#include "engine/protocol/reading.h"
#include "engine/record/sweeprecord.h"

#include <utility>

AlarmWatch::AlarmWatch(QObject *parent)
    : AlarmWatch({}, Input::Sweeps, parent)
{}

AlarmWatch::AlarmWatch(std::vector<AlarmRule> rules, Input input, QObject *parent)
    : QObject(parent)
    , m_input(input)
{
    for (const AlarmRule &rule : rules) {
        m_rules.append({rule.text, true, true});
    }
    m_engine = std::make_unique<AlarmEngine>(std::move(rules));
}

AlarmWatch::~AlarmWatch() = default;

QString AlarmWatch::setRules(const QList<AlarmRuleEntry> &rules)
{
    std::vector<AlarmRule> parsed;
    for (const AlarmRuleEntry &entry : rules) {
        alarms::ParsedRule rule = alarms::parseRule(entry.text);
        if (!rule.rule) {
            return rule.error;
        }
        if (entry.enabled) {
            parsed.push_back(std::move(*rule.rule));
        }
    }
    if (rules == m_rules) {
        return {};
    }
    take(m_engine->end(tr("the rules changed")));
    m_engine = std::make_unique<AlarmEngine>(std::move(parsed));
    m_rules = rules;
    Q_EMIT rulesChanged();
    return {};
}

void AlarmWatch::addAction(std::unique_ptr<AlarmAction> action)
{
    m_actions.push_back({std::move(action)});
}

bool AlarmWatch::addSweep(const SweepRecord &sweep)
{
    if (m_input != Input::Sweeps) {
        return true;
    }
    m_lastUtcMs = sweep.utcMs;
    return take(m_engine->addSweep(sweep));
}

bool AlarmWatch::addReading(const Reading &reading)
{
    if (m_input != Input::Readings) {
        return true;
    }
    m_lastUtcMs = reading.utcMs;
    return take(m_engine->addReading(reading));
}

bool AlarmWatch::end(const QString &reason)
{
    return take(m_engine->end(reason));
}

bool AlarmWatch::addDecided(const AlarmEvent &event)
{
    return take({event});
}

bool AlarmWatch::take(const std::vector<AlarmEvent> &events)
{
    bool taken = true;
    for (const AlarmEvent &event : events) {
        ++m_eventCounts[static_cast<std::size_t>(event.kind)];
        m_events.push_back(event);
        if (m_events.size() > kEventsKept) {
            m_events.pop_front();
        }
        for (Action &entry : m_actions) {
            if (entry.failed) {
                continue;
            }
            entry.action->take(event, *m_engine);
            if (QString failure = entry.action->failure(); !failure.isEmpty()) {
                entry.failed = true;
                taken = false;
                m_error = std::move(failure);
                Q_EMIT failed(m_error);
            }
        }
        Q_EMIT happened(event);
    }
    return taken;
}
