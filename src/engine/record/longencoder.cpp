#include "engine/record/longencoder.h"

#include "core/channelplan.h"
#include "engine/protocol/reading.h"
#include "engine/record/recordlines.h"
#include "engine/record/recordtime.h"

QByteArray LongEncoder::header() const
{
    const std::string_view header = recordlines::longHeader();
    return QByteArray(header.data(), static_cast<qsizetype>(header.size())) + '\n';
}

QByteArray LongEncoder::sweep(const SweepRecord &)
{
    return {};
}

QByteArray LongEncoder::reading(const Reading &reading)
{
    QByteArray row = record::recordTime(reading.utcMs).toLatin1();
    row += ',' + QByteArray::number(channelplan::channelNumber(reading.index));
    row += ',' + record::channelMhz(reading.index).toLatin1();
    row += ',' + QByteArray::number(reading.dbm) + '\n';
    return row;
}
