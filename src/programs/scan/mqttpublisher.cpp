#include "programs/scan/mqttpublisher.h"

#include "engine/record/channelstatistics.h"
#include "engine/record/sweepjson.h"
#include "engine/record/sweeprecord.h"
#include "programs/scan/mqttinfojson.h"
#include "programs/scan/mqttoptions.h"
#include "programs/scan/mqttsession.h"
#include "programs/scan/mqttstatsjson.h"
#include "programs/scan/mqttsweepqueue.h"

#include <QDateTime>

#include <utility>

MqttPublisher::MqttPublisher(const MqttSettings &settings, const ChannelStatistics &statistics,
                             InfoSource info, QObject *parent)
    : QObject(parent)
    , m_statistics(statistics)
    , m_info(std::move(info))
    , m_receiver(settings.receiver)
    , m_receiverField(record::receiverField(settings.receiver))
    , m_queue(std::make_shared<MqttSweepQueue>(settings.queueLimit))
{
    // The session calls from its own thread; the queued connection brings its news here.
    connect(this, &MqttPublisher::sessionEvent, this, &MqttPublisher::handleSessionEvent,
            Qt::QueuedConnection);
    auto listener = [this](MqttSession::Event event, const QString &reason) {
        Q_EMIT sessionEvent(static_cast<int>(event), reason, QPrivateSignal());
    };
    m_session = std::make_unique<MqttSession>(settings, m_queue, std::move(listener));

    m_statsTimer.setInterval(settings.statsInterval);
    connect(&m_statsTimer, &QTimer::timeout, this, &MqttPublisher::publishStats);
    m_statsTimer.start();
}

MqttPublisher::~MqttPublisher() = default;

void MqttPublisher::publishSweep(const SweepRecord &sweep)
{
    ++m_sweeps;
    m_queue->push(record::sweepJson(sweep, m_receiverField));
}

void MqttPublisher::publishAlarm(const QByteArray &eventJson, const QByteArray &activeJson)
{
    if (m_session) {
        m_session->publish(QByteArrayLiteral("alarm"), eventJson, false);
    }
    publishActiveAlarms(activeJson);
}

void MqttPublisher::publishActiveAlarms(const QByteArray &activeJson)
{
    if (m_session) {
        m_session->publish(QByteArrayLiteral("alarm/active"), activeJson, true);
    }
}

qint64 MqttPublisher::finish()
{
    if (!m_session) {
        return 0;
    }
    m_statsTimer.stop();
    // A copy: the network thread makes the last statistics once it knows what was dropped.
    auto finalStats = [statistics = m_statistics, sweeps = m_sweeps,
                       receiver = m_receiver](qint64 dropped) {
        return mqttStatsJson(
            MqttStatsHeader{QDateTime::currentMSecsSinceEpoch(), sweeps, dropped, receiver},
            statistics);
    };
    const qint64 undelivered = m_session->close(std::move(finalStats));
    m_session.reset();
    m_connected = false;
    return undelivered;
}

void MqttPublisher::handleSessionEvent(int event, const QString &reason)
{
    m_connected = event == static_cast<int>(MqttSession::Event::Connected);
    switch (static_cast<MqttSession::Event>(event)) {
    case MqttSession::Event::Connected:
        publishInfo();
        Q_EMIT connected();
        break;
    case MqttSession::Event::Lost:
        Q_EMIT connectionLost(reason);
        break;
    case MqttSession::Event::Refused:
        Q_EMIT refused(reason);
        break;
    }
}

bool MqttPublisher::hasRoom() const
{
    return !m_queue->isFull();
}

qint64 MqttPublisher::droppedSweeps() const
{
    return m_queue->dropped();
}

void MqttPublisher::publishInfo()
{
    if (m_session && m_info) {
        m_session->publish(QByteArrayLiteral("info"),
                           mqttInfoJson(m_info(), QDateTime::currentMSecsSinceEpoch()), true);
    }
}

void MqttPublisher::publishStats()
{
    if (m_session) {
        const MqttStatsHeader header{QDateTime::currentMSecsSinceEpoch(), m_sweeps,
                                     m_queue->dropped(), m_receiver};
        m_session->publishStats(mqttStatsJson(header, m_statistics));
        // The rate in the info is kept as fresh as the statistics.
        publishInfo();
    }
}
