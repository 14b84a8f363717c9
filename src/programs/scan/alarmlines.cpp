#include "programs/scan/alarmlines.h"

#include "engine/alarm/alarmevent.h"

#include <utility>

AlarmLines::AlarmLines(std::function<void(const QString &)> tell)
    : m_tell(std::move(tell))
{}

void AlarmLines::take(const AlarmEvent &event, const AlarmEngine & /*engine*/)
{
    m_tell(alarms::eventLine(event));
}
