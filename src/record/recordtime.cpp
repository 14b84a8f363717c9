#include "record/recordtime.h"

#include <QDateTime>

namespace record {

namespace {
constexpr double kFirstChannelMhz = 429.25;
constexpr double kChannelStepMhz = 0.0125;
constexpr int kMhzDecimals = 4;
} // namespace

QString recordTime(qint64 utcMs)
{
    return QDateTime::fromMSecsSinceEpoch(utcMs, Qt::UTC)
               .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) +
           QLatin1Char('Z');
}

QString channelMhz(int index)
{
    return QString::number(kFirstChannelMhz + kChannelStepMhz * index, 'f', kMhzDecimals);
}

} // namespace record
