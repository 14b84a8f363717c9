#include "report/reportalarms.h"

void ReportAlarms::take(const AlarmEvent &event)
{
    switch (event.kind) {
    case AlarmEvent::Kind::Raised:
        ++raised;
        break;
    case AlarmEvent::Kind::Cleared:
        ++cleared;
        break;
    case AlarmEvent::Kind::Ended:
        ++ended;
        break;
    }
    if (events.size() < kEventsShown) {
        events.push_back(event);
    }
}

void AlarmEventKeeper::take(const AlarmEvent &event, const AlarmEngine & /*engine*/)
{
    m_events.push_back(event);
    if (m_events.size() > kEventsKept) {
        m_events.pop_front();
    }
}

ReportAlarms AlarmEventKeeper::within(qint64 fromUtcMs, qint64 toUtcMs) const
{
    ReportAlarms alarms;
    for (const AlarmEvent &event : m_events) {
        if (event.utcMs >= fromUtcMs && event.utcMs <= toUtcMs) {
            alarms.take(event);
        }
    }
    return alarms;
}

void ReportAlarmAction::take(const AlarmEvent &event, const AlarmEngine & /*engine*/)
{
    m_alarms.take(event);
}
