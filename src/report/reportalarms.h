#pragma once

#include "engine/alarm/alarmaction.h"
#include "engine/alarm/alarmevent.h"

#include <vector>

// The alarms of a run with rules: the first events in full, and how many of each kind.
struct ReportAlarms
{
    // More would not fit the pages a report is read on.
    static constexpr std::size_t kEventsShown = 200;

    void take(const AlarmEvent &event);

    std::vector<AlarmEvent> events;
    qint64 raised = 0;
    qint64 cleared = 0;
    qint64 ended = 0;
};

// Keeps a run's alarm events for its report.
class ReportAlarmAction : public AlarmAction
{
public:
    explicit ReportAlarmAction(ReportAlarms &alarms)
        : m_alarms(alarms)
    {}

    void take(const AlarmEvent &event, const AlarmEngine &engine) override;

private:
    ReportAlarms &m_alarms;
};
