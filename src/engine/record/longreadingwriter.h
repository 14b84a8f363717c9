#pragma once

#include "engine/record/devicewriter.h"

// One row per reading: time,channel,mhz,dbm. Sweeps are already in the readings.
class LongReadingWriter : public DeviceWriter
{
public:
    using DeviceWriter::DeviceWriter;

    bool writeHeader() override;
    bool writeSweep(const SweepRecord &sweep) override;
    bool writeReading(const Reading &reading) override;
};
