#pragma once

#include "core/channelplan.h"

#include <QtGlobal>

#include <array>

// One row of the history: a complete sweep, or the separator where a run began.
struct HistoryRow
{
    qint64 utcMs = 0;
    bool runStart = false;
    std::array<qint16, channelplan::kChannelCount> dbm{};
};
