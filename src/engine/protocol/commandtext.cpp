#include "engine/protocol/commandtext.h"

namespace command {

namespace {
constexpr int kHexBase = 16;
constexpr qsizetype kFieldWidth = 2;
} // namespace

QString channelField(int channelNumber)
{
    const QString digits = QString::number(channelNumber, kHexBase).toUpper();
    return (QStringLiteral("00") + digits).right(kFieldWidth);
}

QString identify()
{
    return QStringLiteral("@FV");
}

QString queryMode()
{
    return QStringLiteral("@MO");
}

QString selectChannel(const QString &channelField)
{
    return QStringLiteral("@CH") + channelField;
}

QString readRssi()
{
    return QStringLiteral("@RA");
}

QString airMonitor(const QString &channelField, const QString &sampleCount)
{
    return QStringLiteral("@AM") + channelField + sampleCount;
}

QByteArray toLine(const QString &text)
{
    return text.toUtf8() + QByteArrayLiteral("\r\n");
}

} // namespace command
