#include "programs/scan/mqttoptions.h"

#include "core/grammar.h"
#include "engine/remote/brokersettings.h"

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <limits>

namespace mqttoptions {

namespace {
#ifdef KVT_WITH_MQTT
constexpr bool kCanPublish = true;
#else
constexpr bool kCanPublish = false;
#endif

const OptionCondition kMqtt{QStringLiteral("mqtt")};

// MQTT 3.1.1 brokers must take client identifiers of up to this many bytes.
constexpr qsizetype kShortIdentifier = 23;
constexpr int kRandomDigits = 4;
constexpr int kRandomRange = 0x10000;

std::optional<int> positiveNumber(const QString &text)
{
    const auto value = grammar::readInteger(text, 1, std::numeric_limits<int>::max());
    return value ? std::optional<int>(static_cast<int>(*value)) : std::nullopt;
}

QString readError(const QFile &file)
{
    return QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString());
}

// Empty when the file can be read, else why not.
QString unreadable(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString() : readError(file);
}

QString readBroker(const QString &url, std::optional<MqttSettings> &settings)
{
    const std::optional<MqttUrl> broker = MqttUrl::parse(url);
    if (!broker) {
        return QStringLiteral("bad broker URL '%1': expected mqtt://HOST[:PORT] or "
                              "mqtts://HOST[:PORT]")
            .arg(url);
    }
    settings.emplace().broker = *broker;
    return {};
}

QString readTopic(const QString &prefix, MqttSettings &settings)
{
    const bool wildcards = prefix.contains(QLatin1Char('+')) || prefix.contains(QLatin1Char('#'));
    if (prefix.isEmpty() || wildcards || prefix.contains(QChar())) {
        return QStringLiteral("bad topic prefix '%1': no + or # wildcards").arg(prefix);
    }
    settings.topicPrefix = prefix;
    return {};
}
} // namespace

QList<OptionRow> rows(std::optional<MqttSettings> &settings)
{
    if (!kCanPublish) {
        return {};
    }
    // The table checks that --mqtt is given before it reads the other rows, and reads --mqtt
    // first: settings are there when they are read.
    QList<OptionRow> rows;
    rows.append({{QStringLiteral("mqtt")},
                 QStringLiteral("URL"),
                 QStringLiteral("Also publish to the MQTT broker at URL: mqtt://HOST[:PORT] or "
                                "mqtts://HOST[:PORT]."),
                 {},
                 [&settings](const QStringList &values) {
                     return readBroker(values.constLast(), settings);
                 }});
    rows.append({{QStringLiteral("mqtt-ca")},
                 QStringLiteral("FILE"),
                 QStringLiteral("Trust the broker certificates signed by the CA certificates in "
                                "FILE (PEM; mqtts only; default: the system's)."),
                 {},
                 [&settings](const QStringList &values) {
                     if (!settings->broker.tls) {
                         return QStringLiteral("--mqtt-ca needs an mqtts:// broker URL");
                     }
                     settings->caFile = values.constLast();
                     return unreadable(settings->caFile);
                 },
                 {kMqtt}});
    rows.append({{QStringLiteral("mqtt-user")},
                 QStringLiteral("NAME"),
                 QStringLiteral("Log in to the broker as NAME."),
                 {},
                 [&settings](const QStringList &values) {
                     settings->user = values.constLast();
                     return QString();
                 },
                 {kMqtt}});
    rows.append({{QStringLiteral("mqtt-password-file")},
                 QStringLiteral("FILE"),
                 QStringLiteral("Read the broker password from the first line of FILE."),
                 {},
                 [&settings](const QStringList &values) {
                     QString error;
                     const std::optional<QByteArray> password =
                         brokersettings::readPasswordFile(values.constLast(), error);
                     settings->password = password.value_or(QByteArray());
                     return error;
                 },
                 {kMqtt, {QStringLiteral("mqtt-user")}}});
    rows.append({{QStringLiteral("mqtt-topic")},
                 QStringLiteral("PREFIX"),
                 QStringLiteral("Topic prefix (default: kvt318/<receiver name>)."),
                 {},
                 [&settings](const QStringList &values) {
                     return readTopic(values.constLast(), *settings);
                 },
                 {kMqtt}});
    rows.append({{QStringLiteral("mqtt-stats-interval")},
                 QStringLiteral("S"),
                 QStringLiteral("Publish the statistics every S seconds (default 60)."),
                 {},
                 [&settings](const QStringList &values) {
                     const std::optional<int> seconds = positiveNumber(values.constLast());
                     if (!seconds) {
                         return QStringLiteral("bad --mqtt-stats-interval '%1': a whole number "
                                               "of seconds above 0")
                             .arg(values.constLast());
                     }
                     settings->statsInterval = std::chrono::seconds(*seconds);
                     return QString();
                 },
                 {kMqtt}});
    rows.append({{QStringLiteral("mqtt-queue")},
                 QStringLiteral("N"),
                 QStringLiteral("Keep at most N sweeps while the broker is away (default 1000)."),
                 {},
                 [&settings](const QStringList &values) {
                     const std::optional<int> limit = positiveNumber(values.constLast());
                     if (!limit) {
                         return QStringLiteral("bad --mqtt-queue '%1': a whole number above 0")
                             .arg(values.constLast());
                     }
                     settings->queueLimit = *limit;
                     return QString();
                 },
                 {kMqtt}});
    return rows;
}

QString clientId(const QString &receiver, qint64 processId)
{
    const QString tail = QStringLiteral("-%1-%2").arg(processId).arg(
        QRandomGenerator::system()->bounded(kRandomRange), kRandomDigits, 16, QLatin1Char('0'));
    const QString head = QStringLiteral("kvt318-");
    const qsizetype room = std::max<qsizetype>(0, kShortIdentifier - head.size() - tail.size());
    return head + receiver.left(room) + tail;
}

void finish(std::optional<MqttSettings> &settings, const QString &receiver)
{
    if (!settings) {
        return;
    }
    if (settings->topicPrefix.isEmpty()) {
        settings->topicPrefix = QStringLiteral("kvt318/") + receiver;
    }
    settings->receiver = receiver;
    settings->clientId = clientId(receiver, QCoreApplication::applicationPid());
}

} // namespace mqttoptions
