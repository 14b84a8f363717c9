#pragma once

#include "engine/record/recordencoder.h"

// A header, then one row per complete sweep: time,sweep,ch7,…,ch46.
class CsvEncoder : public RecordEncoder
{
public:
    [[nodiscard]] QByteArray header() const override;
    QByteArray sweep(const SweepRecord &sweep) override;
    QByteArray reading(const Reading &reading) override;
};
