#pragma once

#include "core/radiomode.h"
#include "engine/protocol/monitorstate.h"

#include <QtGlobal>

#include <array>
#include <optional>

// One complete sweep: a reading for each of the 40 channels, stamped with the arrival of its
// last reading (UTC milliseconds since the epoch), numbered from 1 within a recording, with the
// radio mode it was measured in when that is known.
struct SweepRecord
{
    qint64 utcMs = 0;
    qint64 sweep = 0;
    std::optional<RadioMode> mode = std::nullopt;
    std::array<qint16, MonitorState::kChannelCount> dbm{};
};
