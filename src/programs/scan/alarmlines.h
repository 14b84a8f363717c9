#pragma once

#include "engine/alarm/alarmaction.h"

#include <functional>

// Each event as one line for a person, handed to the program's own way of telling them.
class AlarmLines : public AlarmAction
{
public:
    explicit AlarmLines(std::function<void(const QString &)> tell);

    void take(const AlarmEvent &event, const AlarmEngine &engine) override;

private:
    std::function<void(const QString &)> m_tell;
};
