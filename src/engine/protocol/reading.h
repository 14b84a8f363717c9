#pragma once

#include "core/radiomode.h"

#include <QtGlobal>

// One reading as the sweep stored it: the channel index (0 is channel 7), the level in dBm,
// when it arrived (UTC milliseconds since the epoch) and the radio mode it was measured in.
struct Reading
{
    int index = 0;
    qint16 dbm = 0;
    qint64 utcMs = 0;
    RadioMode mode = RadioMode::Fsk;
};
