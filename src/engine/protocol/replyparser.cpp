#include "engine/protocol/replyparser.h"

#include "engine/protocol/lenientnumber.h"

#include <QStringList>

#include <algorithm>
#include <iterator>

namespace reply {

namespace {

constexpr qsizetype kTagLength = 4;
// The line end of "@FV" is looked for where it would stand behind a tag of that length.
constexpr qsizetype kModelLineEndFrom = kTagLength - 1;
constexpr qsizetype kHexDigits = 2;
constexpr int kByteOffset = 256;

const QLatin1String kLineEnd("\r\n");
const QLatin1String kAcceptedModels[] = {QLatin1String("KVT-318M"), QLatin1String("PVT-318")};
const QLatin1String kRssiEnd("dBm\r\n");

// The longest end of `text` that is how `wanted` begins, shorter than `wanted`.
qsizetype begunAtEnd(QStringView text, QLatin1String wanted)
{
    qsizetype begun = std::min(wanted.size() - 1, text.size());
    while (begun > 0 && !text.endsWith(wanted.left(begun))) {
        --begun;
    }
    return begun;
}

// Bytes still to come before `tag` and then `digits` characters and `end` can stand in the
// buffer, where the first occurrence of the tag counts.
qsizetype stillToCome(const QString &buffer, QLatin1String tag, qsizetype digits,
                      QLatin1String end = {})
{
    const qsizetype at = buffer.indexOf(tag);
    if (at < 0) {
        return tag.size() - begunAtEnd(buffer, tag) + digits + end.size();
    }
    const QStringView behind = QStringView(buffer).mid(at + tag.size());
    if (end.isEmpty()) {
        return digits - behind.size();
    }
    return end.size() - begunAtEnd(behind, end);
}

} // namespace

ModelCheck checkModel(const QString &buffer)
{
    if (buffer.indexOf(kLineEnd, kModelLineEndFrom) < 0) {
        return ModelCheck::NoResponse;
    }
    const bool known =
        std::any_of(std::begin(kAcceptedModels), std::end(kAcceptedModels),
                    [&buffer](QLatin1String model) { return buffer.contains(model); });
    return known ? ModelCheck::Accepted : ModelCheck::Unsupported;
}

ModuleIdentity moduleIdentity(const QString &identification)
{
    QString text = identification;
    for (QChar &c : text) {
        if (!c.isPrint()) {
            c = QLatin1Char(' ');
        }
    }
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (qsizetype at = 0; at < words.size(); ++at) {
        for (const QLatin1String model : kAcceptedModels) {
            if (words[at].contains(model)) {
                return {words[at], words.mid(at + 1).join(QLatin1Char(' '))};
            }
        }
    }
    return {{}, words.join(QLatin1Char(' '))};
}

bool reportsMode(const QString &buffer, RadioMode mode)
{
    switch (mode) {
    case RadioMode::Fsk:
        return buffer.contains(QLatin1String("*MO=01"));
    case RadioMode::LoRa:
        return buffer.contains(QLatin1String("*MO=03"));
    case RadioMode::AirMonitor:
        return buffer.contains(QLatin1String("*MO=04"));
    }
    return false;
}

bool hasChannelSet(const QString &buffer)
{
    const qsizetype tag = buffer.indexOf(QLatin1String("*CH="));
    return tag >= 0 && buffer.indexOf(kLineEnd, tag + kTagLength) >= 0;
}

std::optional<qint16> rssiReading(const QString &buffer)
{
    const qsizetype tag = buffer.indexOf(QLatin1String("*RA="));
    if (tag < 0) {
        return std::nullopt;
    }
    const qsizetype valueStart = tag + kTagLength;
    const qsizetype unit = buffer.indexOf(QLatin1String("dBm\r\n"), valueStart);
    if (unit < 0) {
        return std::nullopt;
    }
    return lenient::readDecimal(QStringView(buffer).mid(valueStart, unit - valueStart));
}

std::optional<qint16> airMonitorReading(const QString &buffer)
{
    const qsizetype tag = buffer.indexOf(QLatin1String("*RS="));
    if (tag < 0 || buffer.size() < tag + kTagLength + kHexDigits) {
        return std::nullopt;
    }
    const int byte = lenient::readHex(QStringView(buffer).mid(tag + kTagLength, kHexDigits));
    return static_cast<qint16>(byte - kByteOffset);
}

qsizetype bytesAwaited(const QString &buffer, RadioModes modes)
{
    qsizetype awaited = kShortestReply;
    if (modes.contains(RadioMode::Fsk) || modes.contains(RadioMode::LoRa)) {
        awaited = std::min({awaited, stillToCome(buffer, QLatin1String("*CH="), 0, kLineEnd),
                            stillToCome(buffer, QLatin1String("*RA="), 0, kRssiEnd)});
    }
    if (modes.contains(RadioMode::AirMonitor)) {
        awaited = std::min(awaited, stillToCome(buffer, QLatin1String("*RS="), kHexDigits));
    }
    return std::max<qsizetype>(awaited, 1);
}

} // namespace reply
