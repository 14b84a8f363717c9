#include "engine/record/jsonlencoder.h"

#include "engine/record/sweepjson.h"

QByteArray JsonlEncoder::sweep(const SweepRecord &sweep)
{
    return record::sweepJson(sweep) + '\n';
}

QByteArray JsonlEncoder::reading(const Reading &)
{
    return {};
}
