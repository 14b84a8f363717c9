#pragma once

#include "core/radiomode.h"

#include <QtGlobal>

#include <optional>

// One reading as the sweep stored it: the channel index (0 is channel 7), the level in dBm,
// when it arrived (UTC milliseconds since the epoch) and the radio mode it was measured in, when
// that is known (a recording read back may not say).
struct Reading
{
    int index = 0;
    qint16 dbm = 0;
    qint64 utcMs = 0;
    std::optional<RadioMode> mode = std::nullopt;
};
