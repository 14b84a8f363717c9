#include "engine/record/recordtime.h"
#include "core/channelplan.h"

#include <QDateTime>

namespace record {

namespace {
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
    return QString::number(channelplan::channelMhz(index), 'f', kMhzDecimals);
}

} // namespace record
