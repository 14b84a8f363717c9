#pragma once

#include "core/channelplan.h"

#include <QtGlobal>

#include <array>
#include <optional>

// What the sweep engine knows of the band: the latest and the highest reading of every
// channel, the cursor channel, and the channel it asks for next. Plain data that the engine
// owns; the chart and the read-out paint from a copy or a const reference.
struct MonitorState
{
    static constexpr int kChannelCount = channelplan::kChannelCount;
    // The bottom of the chart: what a channel shows before its first reading.
    static constexpr qint16 kNoReading = -140;
    using Levels = std::array<qint16, kChannelCount>;

    static constexpr Levels noReadings()
    {
        Levels levels{};
        for (qint16 &level : levels) {
            level = kNoReading;
        }
        return levels;
    }

    Levels latest = noReadings();
    Levels highest = noReadings();
    std::optional<int> cursorIndex;
    int channelIndex = 0;
};
