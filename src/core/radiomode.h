#pragma once

// The module's radio modes that the sweep knows, as the module reports them to "@MO".
enum class RadioMode { Fsk = 0, LoRa = 1, AirMonitor = 2 };
