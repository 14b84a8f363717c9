#pragma once

#include <QColor>

// Raised alarms are marked in one colour and size wherever the history window shows them.
namespace alarmmarks {

inline QColor colour()
{
    return {Qt::red};
}

// Pixels: the band over a raised channel's bar, the tick beside a raise on the time axis.
inline constexpr int kMarkSize = 4;

} // namespace alarmmarks
