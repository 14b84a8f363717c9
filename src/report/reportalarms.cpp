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

void ReportAlarmAction::take(const AlarmEvent &event, const AlarmEngine & /*engine*/)
{
    m_alarms.take(event);
}
