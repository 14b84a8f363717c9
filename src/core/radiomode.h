#pragma once

#include <array>

// The module's radio modes that the sweep knows, as the module reports them to "@MO".
enum class RadioMode { Fsk = 0, LoRa = 1, AirMonitor = 2 };

inline constexpr std::array<RadioMode, 3> kRadioModes = {RadioMode::Fsk, RadioMode::LoRa,
                                                         RadioMode::AirMonitor};
