#pragma once

#include "engine/record/recordencoder.h"

// A header, then one row per reading: time,channel,mhz,dbm. Sweeps are already in the readings.
class LongEncoder : public RecordEncoder
{
public:
    [[nodiscard]] QByteArray header() const override;
    QByteArray sweep(const SweepRecord &sweep) override;
    QByteArray reading(const Reading &reading) override;
};
