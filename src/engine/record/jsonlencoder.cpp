#include "engine/record/jsonlencoder.h"

#include "engine/record/sweepjson.h"

JsonlEncoder::JsonlEncoder(const QString &receiver)
    : m_receiverField(record::receiverField(receiver))
{}

QByteArray JsonlEncoder::sweep(const SweepRecord &sweep)
{
    return record::sweepJson(sweep, m_receiverField) + '\n';
}

QByteArray JsonlEncoder::reading(const Reading &)
{
    return {};
}
