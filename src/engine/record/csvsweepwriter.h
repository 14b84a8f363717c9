#pragma once

#include "engine/record/devicewriter.h"

// One row per complete sweep: time,sweep,ch7,…,ch46.
class CsvSweepWriter : public DeviceWriter
{
public:
    using DeviceWriter::DeviceWriter;

    bool writeHeader() override;
    bool writeSweep(const SweepRecord &sweep) override;
};
