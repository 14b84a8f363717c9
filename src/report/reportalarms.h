#pragma once

#include "engine/alarm/alarmaction.h"
#include "engine/alarm/alarmevent.h"

#include <deque>
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

// Keeps the newest alarm events of a long run, so that a report of any span of it lists its own.
class AlarmEventKeeper : public AlarmAction
{
public:
    // Far more than the history window's hours see under any sensible rules; a few megabytes.
    static constexpr std::size_t kEventsKept = 50'000;

    void take(const AlarmEvent &event, const AlarmEngine &engine) override;
    // The events from fromUtcMs to toUtcMs, both included.
    [[nodiscard]] ReportAlarms within(qint64 fromUtcMs, qint64 toUtcMs) const;

private:
    std::deque<AlarmEvent> m_events;
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
