#include "engine/remote/receiverdirectory.h"

#include "engine/record/recordlines.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {
const QByteArray kStatus = QByteArrayLiteral("/status");
const QByteArray kInfo = QByteArrayLiteral("/info");
const QByteArray kStats = QByteArrayLiteral("/stats");
constexpr double kMsPerSecond = 1000.0;

std::optional<qint64> timeOf(const QJsonObject &object)
{
    const QByteArray time = object.value(QLatin1String("time")).toString().toLatin1();
    return recordlines::readTime(std::string_view(time.constData(), std::size_t(time.size())));
}

QString lastLevel(const QString &prefix)
{
    return prefix.mid(prefix.lastIndexOf(QLatin1Char('/')) + 1);
}
} // namespace

std::vector<QByteArray> ReceiverDirectory::discoveryPatterns()
{
    // Statuses first: the broker sends the retained messages of a subscription as it takes it,
    // so a scanner is known before its statistics arrive.
    std::vector<QByteArray> patterns;
    for (const QByteArray &topic : {kStatus, kInfo, kStats}) {
        for (const QByteArray &levels :
             {QByteArrayLiteral("+"), QByteArrayLiteral("+/+"), QByteArrayLiteral("+/+/+")}) {
            patterns.push_back(levels + topic);
        }
    }
    return patterns;
}

void ReceiverDirectory::take(const QByteArray &topic, const QByteArray &payload, bool retained,
                             qint64 nowUtcMs)
{
    const bool status = topic.endsWith(kStatus);
    const bool info = topic.endsWith(kInfo);
    const bool stats = topic.endsWith(kStats);
    // An empty retained message clears the topic: nothing to learn.
    if ((!status && !info && !stats) || payload.isEmpty()) {
        return;
    }
    const qsizetype suffix = status ? kStatus.size() : info ? kInfo.size() : kStats.size();
    const QString prefix = QString::fromUtf8(topic.chopped(suffix));
    // Statistics alone do not make a scanner: anything may publish a topic named so.
    if (stats && std::none_of(m_receivers.begin(), m_receivers.end(),
                              [&](const RemoteReceiver &r) { return r.prefix == prefix; })) {
        return;
    }
    const int index = at(prefix);
    RemoteReceiver &receiver = m_receivers[static_cast<std::size_t>(index)];
    if (status) {
        receiver.online = payload == "online";
    } else if (info) {
        takeInfo(index, payload);
    } else {
        takeStats(index, payload);
    }
    // A retained message says nothing of when it was published.
    if (!retained) {
        receiver.lastSeenUtcMs = std::max(receiver.lastSeenUtcMs, nowUtcMs);
    }
    Q_EMIT changed(index);
}

void ReceiverDirectory::heardFrom(const QString &prefix, qint64 utcMs)
{
    const auto found = std::find_if(m_receivers.begin(), m_receivers.end(),
                                    [&](const RemoteReceiver &r) { return r.prefix == prefix; });
    if (found == m_receivers.end() || found->lastSeenUtcMs >= utcMs) {
        return;
    }
    found->lastSeenUtcMs = utcMs;
    Q_EMIT changed(static_cast<int>(found - m_receivers.begin()));
}

int ReceiverDirectory::find(const QString &name, const QString &prefix) const
{
    int match = -1;
    for (std::size_t i = 0; i < m_receivers.size(); ++i) {
        const bool named =
            m_receivers[i].name == name && (prefix.isEmpty() || m_receivers[i].prefix == prefix);
        if (named && (match < 0 || m_receivers[i].online)) {
            match = static_cast<int>(i);
        }
    }
    return match;
}

int ReceiverDirectory::at(const QString &prefix)
{
    const auto found = std::find_if(m_receivers.begin(), m_receivers.end(),
                                    [&](const RemoteReceiver &r) { return r.prefix == prefix; });
    if (found != m_receivers.end()) {
        return static_cast<int>(found - m_receivers.begin());
    }
    RemoteReceiver receiver;
    receiver.prefix = prefix;
    receiver.name = lastLevel(prefix);
    m_receivers.push_back(receiver);
    const int index = static_cast<int>(m_receivers.size() - 1);
    Q_EMIT added(index);
    return index;
}

void ReceiverDirectory::takeInfo(int index, const QByteArray &payload)
{
    const QJsonObject info = QJsonDocument::fromJson(payload).object();
    RemoteReceiver &receiver = m_receivers[static_cast<std::size_t>(index)];
    const auto text = [&info](const char *key) {
        return info.value(QLatin1String(key)).toString();
    };
    if (const QString name = text("receiver"); !name.isEmpty()) {
        receiver.name = name;
    }
    receiver.model = text("model");
    receiver.firmware = text("firmware");
    receiver.mode = text("mode");
    const QJsonValue rate = info.value(QLatin1String("sweeps_per_s"));
    receiver.sweepsPerSecond =
        rate.isDouble() ? std::optional<double>(rate.toDouble()) : std::nullopt;
    if (const auto published = timeOf(info)) {
        receiver.lastSeenUtcMs = std::max(receiver.lastSeenUtcMs, *published);
    }
}

void ReceiverDirectory::takeStats(int index, const QByteArray &payload)
{
    const QJsonObject stats = QJsonDocument::fromJson(payload).object();
    RemoteReceiver &receiver = m_receivers[static_cast<std::size_t>(index)];
    const auto published = timeOf(stats);
    const auto sweeps = static_cast<qint64>(stats.value(QLatin1String("sweeps")).toDouble(-1));
    if (!published || sweeps < 0) {
        return;
    }
    receiver.lastSeenUtcMs = std::max(receiver.lastSeenUtcMs, *published);
    // The info's own figure stands; a rate needs two statistics of one run.
    if (!receiver.rateFromInfo && receiver.statsUtcMs > 0 && *published > receiver.statsUtcMs &&
        sweeps > receiver.statsSweeps) {
        receiver.sweepsPerSecond = static_cast<double>(sweeps - receiver.statsSweeps) *
                                   kMsPerSecond /
                                   static_cast<double>(*published - receiver.statsUtcMs);
    }
    receiver.statsSweeps = sweeps;
    receiver.statsUtcMs = *published;
}
