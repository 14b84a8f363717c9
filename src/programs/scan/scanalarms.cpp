#include "programs/scan/scanalarms.h"

#include "engine/alarm/alarmlog.h"
#include "programs/scan/alarmcommands.h"
#ifdef KVT_WITH_MQTT
#include "programs/scan/mqttpublisher.h"
#endif

ScanAlarms::ScanAlarms(const AlarmSettings &settings, bool quiet, QObject *parent)
    : QObject(parent)
    , m_engine(settings.rules)
    , m_quiet(quiet)
{
    if (!settings.logPath.isEmpty()) {
        m_log = std::make_unique<AlarmLog>(settings.logPath, settings.logMinFreeBytes);
    }
    if (!settings.command.isEmpty()) {
        m_commands = new AlarmCommands(settings.command, settings.commandInterval, this);
        connect(m_commands, &AlarmCommands::said, this, &ScanAlarms::said);
    }
}

ScanAlarms::~ScanAlarms() = default;

bool ScanAlarms::open()
{
    if (m_log && !m_log->open()) {
        m_error = m_log->errorString();
        return false;
    }
    return true;
}

bool ScanAlarms::reopen()
{
    if (m_log && !m_log->reopen()) {
        m_error = m_log->errorString();
        return false;
    }
    return true;
}

bool ScanAlarms::writeSweep(const SweepRecord &sweep)
{
    return m_readings || take(m_engine.addSweep(sweep));
}

bool ScanAlarms::writeReading(const Reading &reading)
{
    return !m_readings || take(m_engine.addReading(reading));
}

bool ScanAlarms::end(const QString &reason)
{
    return take(m_engine.end(reason));
}

void ScanAlarms::publishTo(MqttPublisher *publisher)
{
#ifdef KVT_WITH_MQTT
    m_publisher = publisher;
    m_publisher->publishActiveAlarms(alarms::activeJson(m_engine));
#else
    Q_UNUSED(publisher)
#endif
}

void ScanAlarms::finish()
{
    if (m_commands != nullptr) {
        m_commands->finish();
    }
}

bool ScanAlarms::take(const std::vector<AlarmEvent> &events)
{
    for (const AlarmEvent &event : events) {
        ++m_eventCounts[static_cast<std::size_t>(event.kind)];
        if (!m_quiet) {
            Q_EMIT said(alarms::eventLine(event));
        }
        if (m_commands != nullptr) {
            m_commands->run(event);
        }
#ifdef KVT_WITH_MQTT
        if (m_publisher != nullptr) {
            m_publisher->publishAlarm(alarms::eventJson(event), alarms::activeJson(m_engine));
        }
#endif
        Q_EMIT happened(event);
        if (!m_log) {
            continue;
        }
        const bool written = m_log->write(event);
        for (const FileNotice &notice : m_log->takeNotices()) {
            Q_EMIT noticed(notice);
        }
        if (!written) {
            m_error = m_log->errorString();
            Q_EMIT failed(m_error);
            return false;
        }
    }
    return true;
}
