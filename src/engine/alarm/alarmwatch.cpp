#include "engine/alarm/alarmwatch.h"

#include "engine/record/sweeprecord.h"

AlarmWatch::AlarmWatch(QObject *parent)
    : QObject(parent)
    , m_engine(std::make_unique<AlarmEngine>(std::vector<AlarmRule>{}))
{}

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

void AlarmWatch::addSweep(const SweepRecord &sweep)
{
    m_lastUtcMs = sweep.utcMs;
    take(m_engine->addSweep(sweep));
}

void AlarmWatch::end(const QString &reason)
{
    take(m_engine->end(reason));
}

void AlarmWatch::take(const std::vector<AlarmEvent> &events)
{
    for (const AlarmEvent &event : events) {
        m_events.push_back(event);
        if (m_events.size() > kEventsKept) {
            m_events.pop_front();
        }
        Q_EMIT happened(event);
    }
}
