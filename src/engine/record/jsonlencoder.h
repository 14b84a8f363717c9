#pragma once

#include "engine/record/recordencoder.h"

// One JSON object per complete sweep and line; no header.
class JsonlEncoder : public RecordEncoder
{
public:
    QByteArray sweep(const SweepRecord &sweep) override;
    QByteArray reading(const Reading &reading) override;
};
