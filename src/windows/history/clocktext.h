#pragma once

#include <QDateTime>
#include <QString>

// Times as the history window shows them, in local time or in UTC.
namespace clocktext {

inline QString time(qint64 utcMs, Qt::TimeSpec clock, const QString &format)
{
    return QDateTime::fromMSecsSinceEpoch(utcMs, clock).toString(format);
}

// Said after a span of times in UTC.
inline QString suffix(Qt::TimeSpec clock)
{
    return clock == Qt::UTC ? QStringLiteral(" UTC") : QString();
}

} // namespace clocktext
