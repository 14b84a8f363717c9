#pragma once

#include <QString>

class AlarmEngine;
struct AlarmEvent;

// Where an alarm's events go: a log, a command, a line for a person, a broker, the desktop.
class AlarmAction
{
public:
    AlarmAction() = default;
    virtual ~AlarmAction() = default;
    AlarmAction(const AlarmAction &) = delete;
    AlarmAction &operator=(const AlarmAction &) = delete;

    // One event, the engine holding the alarms raised now (this event's batch included).
    virtual void take(const AlarmEvent &event, const AlarmEngine &engine) = 0;
    // Why the action can take no more events, once it cannot; empty while it works.
    [[nodiscard]] virtual QString failure() const { return {}; }
};
