#pragma once

#include <QString>
#include <QtGlobal>

namespace record {

// UTC, ISO 8601 with milliseconds and a Z: "2026-12-07T07:30:00.123Z".
QString recordTime(qint64 utcMs);

// A channel's frequency as the read-out shows it, four decimals: index 0 is "429.2500".
QString channelMhz(int index);

} // namespace record
