#pragma once

#include "engine/record/devicewriter.h"

// One JSON object per complete sweep and line.
class JsonlSweepWriter : public DeviceWriter
{
public:
    using DeviceWriter::DeviceWriter;

    bool writeSweep(const SweepRecord &sweep) override;
};
