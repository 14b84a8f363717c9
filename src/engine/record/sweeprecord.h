#pragma once

#include "core/radiomode.h"
#include "engine/protocol/monitorstate.h"

#include <QtGlobal>

#include <array>

// One complete sweep: a reading for each of the 40 channels, stamped with the arrival of its
// last reading (UTC milliseconds since the epoch) and numbered from 1 within a recording.
struct SweepRecord
{
    qint64 utcMs = 0;
    qint64 sweep = 0;
    RadioMode mode = RadioMode::Fsk;
    std::array<qint16, MonitorState::kChannelCount> dbm{};
};
