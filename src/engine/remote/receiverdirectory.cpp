#include "engine/remote/receiverdirectory.h"

#include "engine/record/recordlines.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {
const QByteArray kStatus = QByteArrayLiteral("/status");
const QByteArray kInfo = QByteArrayLiteral("/info");

QString lastLevel(const QString &prefix)
{
    return prefix.mid(prefix.lastIndexOf(QLatin1Char('/')) + 1);
}
} // namespace

std::vector<QByteArray> ReceiverDirectory::discoveryPatterns()
{
    std::vector<QByteArray> patterns;
    for (const QByteArray &levels :
         {QByteArrayLiteral("+"), QByteArrayLiteral("+/+"), QByteArrayLiteral("+/+/+")}) {
        patterns.push_back(levels + kStatus);
        patterns.push_back(levels + kInfo);
    }
    return patterns;
}

void ReceiverDirectory::take(const QByteArray &topic, const QByteArray &payload, bool retained,
                             qint64 nowUtcMs)
{
    const bool status = topic.endsWith(kStatus);
    if (!status && !topic.endsWith(kInfo)) {
        return;
    }
    // An empty retained message clears the topic: nothing to learn.
    if (payload.isEmpty()) {
        return;
    }
    const QString prefix = QString::fromUtf8(topic.chopped(status ? kStatus.size() : kInfo.size()));
    const int index = at(prefix);
    RemoteReceiver &receiver = m_receivers[static_cast<std::size_t>(index)];
    if (status) {
        receiver.online = payload == "online";
        // A retained status says nothing of when it was published.
        if (!retained) {
            receiver.lastSeenUtcMs = nowUtcMs;
        }
    } else {
        takeInfo(index, payload);
        if (!retained) {
            receiver.lastSeenUtcMs = std::max(receiver.lastSeenUtcMs, nowUtcMs);
        }
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

int ReceiverDirectory::find(const QString &name) const
{
    int match = -1;
    for (std::size_t i = 0; i < m_receivers.size(); ++i) {
        if (m_receivers[i].name == name && (match < 0 || m_receivers[i].online)) {
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
    const QByteArray time = text("time").toLatin1();
    if (const auto published =
            recordlines::readTime(std::string_view(time.constData(), std::size_t(time.size())))) {
        receiver.lastSeenUtcMs = std::max(receiver.lastSeenUtcMs, *published);
    }
}
