#pragma once

// The module's channels: index 0 to 39 on the program's side, channel numbers 7 to 46 on the
// wire, 429.2500 MHz upwards in 12.5 kHz steps.
namespace channelplan {

inline constexpr int kFirstChannel = 7;
inline constexpr int kChannelCount = 40;
inline constexpr int kLastIndex = kChannelCount - 1;
inline constexpr int kLastChannel = kFirstChannel + kLastIndex;
inline constexpr double kFirstChannelMhz = 429.25;
inline constexpr double kChannelStepMhz = 0.0125;

constexpr int channelNumber(int index)
{
    return kFirstChannel + index;
}

constexpr int channelIndex(int channelNumber)
{
    return channelNumber - kFirstChannel;
}

constexpr double channelMhz(int index)
{
    return kFirstChannelMhz + kChannelStepMhz * index;
}

} // namespace channelplan
