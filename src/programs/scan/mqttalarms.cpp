#include "programs/scan/mqttalarms.h"

#include "engine/alarm/alarmengine.h"
#include "engine/alarm/alarmevent.h"
#include "programs/scan/mqttpublisher.h"

MqttAlarms::MqttAlarms(MqttPublisher &publisher, const AlarmEngine &engine)
    : m_publisher(publisher)
{
    m_publisher.publishActiveAlarms(alarms::activeJson(engine));
}

void MqttAlarms::take(const AlarmEvent &event, const AlarmEngine &engine)
{
    m_publisher.publishAlarm(alarms::eventJson(event, m_publisher.receiverField()),
                             alarms::activeJson(engine));
}
