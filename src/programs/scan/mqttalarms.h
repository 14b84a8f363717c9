#pragma once

#include "engine/alarm/alarmaction.h"

class MqttPublisher;

// Each event to the broker, with the alarms raised now; the list, none at first, goes out as
// soon as the action is made.
class MqttAlarms : public AlarmAction
{
public:
    MqttAlarms(MqttPublisher &publisher, const AlarmEngine &engine);

    void take(const AlarmEvent &event, const AlarmEngine &engine) override;

private:
    MqttPublisher &m_publisher;
};
