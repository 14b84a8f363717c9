#include "engine/remote/remotesource.h"

#include "engine/record/recordlines.h"
#include "engine/record/sweeprecord.h"
#include "engine/remote/alarmeventjson.h"
#include "engine/remote/brokerconnection.h"
#include "engine/remote/receiverdirectory.h"

#include <QDateTime>

#include <utility>

namespace {
const QString kSweep = QStringLiteral("/sweep");
const QString kAlarm = QStringLiteral("/alarm");
} // namespace

RemoteSource::RemoteSource(BrokerConnection &connection, ReceiverDirectory &directory, QString name,
                           QString prefix, QObject *parent)
    : SweepSource(parent)
    , m_connection(connection)
    , m_directory(directory)
    , m_name(std::move(name))
    , m_fixedPrefix(std::move(prefix))
{}

void RemoteSource::start()
{
    if (m_started) {
        return;
    }
    m_started = true;
    connect(
        &m_connection, &BrokerConnection::message, this,
        [this](const QByteArray &topic, const QByteArray &payload, bool) { take(topic, payload); });
    connect(&m_connection, &BrokerConnection::stateChanged, this,
            [this](BrokerConnection::State state) {
                if (state != BrokerConnection::State::Connected) {
                    breakRun(QStringLiteral("the broker was lost: ") + m_connection.reason());
                }
            });
    connect(&m_directory, &ReceiverDirectory::added, this, &RemoteSource::follow);
    connect(&m_directory, &ReceiverDirectory::changed, this, &RemoteSource::showReceiver);
    follow();
}

void RemoteSource::stop()
{
    if (m_ended) {
        return;
    }
    m_ended = true;
    disconnect(&m_connection, nullptr, this, nullptr);
    disconnect(&m_directory, nullptr, this, nullptr);
    Q_EMIT ended(SourceEnd{});
}

QString RemoteSource::endReason() const
{
    return QStringLiteral("the watch stopped");
}

// Subscribes to the topics of every prefix the receiver is known under.
void RemoteSource::follow()
{
    QSet<QString> prefixes{m_fixedPrefix.isEmpty() ? QStringLiteral("kvt318/") + m_name
                                                   : m_fixedPrefix};
    for (const RemoteReceiver &receiver : m_directory.receivers()) {
        if (receiver.name == m_name && m_fixedPrefix.isEmpty()) {
            prefixes.insert(receiver.prefix);
        }
    }
    for (const QString &prefix : prefixes) {
        if (!m_prefixes.contains(prefix)) {
            m_prefixes.insert(prefix);
            m_connection.subscribe((prefix + kSweep).toUtf8());
            m_connection.subscribe((prefix + kAlarm).toUtf8());
        }
    }
}

void RemoteSource::showReceiver(int index)
{
    const RemoteReceiver &receiver = m_directory.receivers()[static_cast<std::size_t>(index)];
    const bool mine =
        m_fixedPrefix.isEmpty() ? receiver.name == m_name : receiver.prefix == m_fixedPrefix;
    if (!mine) {
        return;
    }
    if (!m_prefixes.contains(receiver.prefix)) {
        follow();
    }
    if (!receiver.online) {
        breakRun(QStringLiteral("the receiver went offline"));
    }
}

void RemoteSource::take(const QByteArray &topic, const QByteArray &payload)
{
    const QString name = QString::fromUtf8(topic);
    if (name.endsWith(kSweep)) {
        const QString prefix = name.chopped(kSweep.size());
        if (m_prefixes.contains(prefix)) {
            takeSweep(prefix, payload);
        }
    } else if (name.endsWith(kAlarm) && m_prefixes.contains(name.chopped(kAlarm.size()))) {
        if (const std::optional<AlarmEvent> event = alarms::readEventJson(payload)) {
            Q_EMIT alarm(*event);
        } else {
            refuse(topic, QStringLiteral("not an alarm event"));
        }
    }
}

void RemoteSource::takeSweep(const QString &prefix, const QByteArray &payload)
{
    recordlines::Sweep read;
    if (const QString problem = recordlines::readJsonl(
            std::string_view(payload.constData(), std::size_t(payload.size())), read);
        !problem.isEmpty()) {
        refuse(prefix.toUtf8() + kSweep.toUtf8(), problem);
        return;
    }
    // QoS 1 delivers at least once: after a reconnect a sweep may come again.
    if (read.utcMs <= m_lastUtcMs && read.sweep <= m_lastSweep) {
        return;
    }
    if (m_inRun && read.sweep <= m_lastSweep) {
        breakRun(QStringLiteral("the scanner started a new run"));
    }
    if (!m_inRun) {
        m_inRun = true;
        Q_EMIT runStarted();
    }
    m_lastUtcMs = read.utcMs;
    m_lastSweep = read.sweep;
    m_mode = read.mode;
    SweepRecord sweep;
    sweep.utcMs = read.utcMs;
    sweep.sweep = read.sweep;
    sweep.mode = read.mode;
    sweep.dbm = read.dbm;
    m_directory.heardFrom(prefix, QDateTime::currentMSecsSinceEpoch());
    Q_EMIT this->sweep(sweep);
}

void RemoteSource::refuse(const QByteArray &topic, const QString &problem)
{
    ++m_unreadable;
    m_lastProblem = QString::fromUtf8(topic) + QStringLiteral(": ") + problem;
    Q_EMIT said(m_lastProblem);
}

void RemoteSource::breakRun(const QString &reason)
{
    if (m_inRun) {
        m_inRun = false;
        Q_EMIT runBroken(reason);
    }
}
