#include "programs/scan/mqttoptions.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>

namespace mqttoptions {

namespace {
const QString kUrl = QStringLiteral("mqtt");
const QString kCa = QStringLiteral("mqtt-ca");
const QString kUser = QStringLiteral("mqtt-user");
const QString kPasswordFile = QStringLiteral("mqtt-password-file");
const QString kTopic = QStringLiteral("mqtt-topic");
const QString kStatsInterval = QStringLiteral("mqtt-stats-interval");
const QString kQueue = QStringLiteral("mqtt-queue");

// A topic level made of the name: wildcards and separators would change the topic's shape.
QString topicLevel(const QString &name)
{
    QString level = name;
    level.replace(QLatin1Char('/'), QLatin1Char('_'))
        .replace(QLatin1Char('+'), QLatin1Char('_'))
        .replace(QLatin1Char('#'), QLatin1Char('_'));
    return level.isEmpty() ? QStringLiteral("_") : level;
}

std::optional<int> positiveNumber(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value > 0 ? std::optional<int>(value) : std::nullopt;
}

QString readError(const QFile &file)
{
    return QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString());
}

// The first line of the file, without its line end.
std::optional<QByteArray> readPassword(const QString &path, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = readError(file);
        return std::nullopt;
    }
    QByteArray line = file.readLine();
    if (file.error() != QFile::NoError) {
        error = readError(file);
        return std::nullopt;
    }
    while (line.endsWith('\n') || line.endsWith('\r')) {
        line.chop(1);
    }
    return line;
}

bool fileReadable(const QString &path, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = readError(file);
        return false;
    }
    return true;
}
} // namespace

void addTo(QCommandLineParser &parser)
{
    parser.addOptions({
        {kUrl,
         QStringLiteral("Also publish to the MQTT broker at URL: mqtt://HOST[:PORT] or "
                        "mqtts://HOST[:PORT]."),
         QStringLiteral("URL")},
        {kCa,
         QStringLiteral("Trust the broker certificates signed by the CA certificates in FILE "
                        "(PEM; mqtts only; default: the system's)."),
         QStringLiteral("FILE")},
        {kUser, QStringLiteral("Log in to the broker as NAME."), QStringLiteral("NAME")},
        {kPasswordFile, QStringLiteral("Read the broker password from the first line of FILE."),
         QStringLiteral("FILE")},
        {kTopic, QStringLiteral("Topic prefix (default: kvt318/<host name>/<port's base name>)."),
         QStringLiteral("PREFIX")},
        {kStatsInterval, QStringLiteral("Publish the statistics every S seconds (default 60)."),
         QStringLiteral("S")},
        {kQueue, QStringLiteral("Keep at most N sweeps while the broker is away (default 1000)."),
         QStringLiteral("N")},
    });
}

QString defaultTopicPrefix(const QString &hostName, const QString &portName)
{
    return QStringLiteral("kvt318/%1/%2")
        .arg(topicLevel(hostName), topicLevel(QFileInfo(portName).fileName()));
}

Result read(const QCommandLineParser &parser, const QString &portName, const QString &hostName)
{
    Result result;
    if (!parser.isSet(kUrl)) {
        for (const QString &name : {kCa, kUser, kPasswordFile, kTopic, kStatsInterval, kQueue}) {
            if (parser.isSet(name)) {
                result.error = QStringLiteral("--%1 needs --mqtt").arg(name);
                return result;
            }
        }
        return result;
    }
#ifndef KVT_WITH_MQTT
    result.error = QStringLiteral("this build of kvt318-scan cannot publish to MQTT");
    return result;
#endif
    MqttSettings settings;
    const std::optional<MqttUrl> broker = MqttUrl::parse(parser.value(kUrl));
    if (!broker) {
        result.error = QStringLiteral("bad broker URL '%1': expected mqtt://HOST[:PORT] or "
                                      "mqtts://HOST[:PORT]")
                           .arg(parser.value(kUrl));
        return result;
    }
    settings.broker = *broker;

    if (parser.isSet(kCa)) {
        if (!settings.broker.tls) {
            result.error = QStringLiteral("--mqtt-ca needs an mqtts:// broker URL");
            return result;
        }
        settings.caFile = parser.value(kCa);
        if (!fileReadable(settings.caFile, result.error)) {
            return result;
        }
    }

    settings.user = parser.value(kUser);
    if (parser.isSet(kPasswordFile)) {
        if (settings.user.isEmpty()) {
            result.error = QStringLiteral("--mqtt-password-file needs --mqtt-user");
            return result;
        }
        const std::optional<QByteArray> password =
            readPassword(parser.value(kPasswordFile), result.error);
        if (!password) {
            return result;
        }
        settings.password = *password;
    }

    settings.topicPrefix =
        parser.isSet(kTopic) ? parser.value(kTopic) : defaultTopicPrefix(hostName, portName);
    const bool wildcards = settings.topicPrefix.contains(QLatin1Char('+')) ||
                           settings.topicPrefix.contains(QLatin1Char('#'));
    if (settings.topicPrefix.isEmpty() || wildcards || settings.topicPrefix.contains(QChar())) {
        result.error =
            QStringLiteral("bad topic prefix '%1': no + or # wildcards").arg(settings.topicPrefix);
        return result;
    }

    if (parser.isSet(kStatsInterval)) {
        const std::optional<int> seconds = positiveNumber(parser.value(kStatsInterval));
        if (!seconds) {
            result.error = QStringLiteral("bad --mqtt-stats-interval '%1': a whole number of "
                                          "seconds above 0")
                               .arg(parser.value(kStatsInterval));
            return result;
        }
        settings.statsInterval = std::chrono::seconds(*seconds);
    }
    if (parser.isSet(kQueue)) {
        const std::optional<int> limit = positiveNumber(parser.value(kQueue));
        if (!limit) {
            result.error = QStringLiteral("bad --mqtt-queue '%1': a whole number above 0")
                               .arg(parser.value(kQueue));
            return result;
        }
        settings.queueLimit = *limit;
    }
    result.settings = settings;
    return result;
}

} // namespace mqttoptions
