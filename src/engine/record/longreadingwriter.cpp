#include "engine/record/longreadingwriter.h"
#include "core/channelplan.h"

#include "engine/protocol/reading.h"
#include "engine/record/recordtime.h"

bool LongReadingWriter::writeHeader()
{
    return writeLine(QByteArrayLiteral("time,channel,mhz,dbm\n"));
}

bool LongReadingWriter::writeSweep(const SweepRecord &)
{
    return true;
}

bool LongReadingWriter::writeReading(const Reading &reading)
{
    QByteArray row = record::recordTime(reading.utcMs).toLatin1();
    row += ',' + QByteArray::number(channelplan::channelNumber(reading.index));
    row += ',' + record::channelMhz(reading.index).toLatin1();
    row += ',' + QByteArray::number(reading.dbm) + '\n';
    return writeLine(row);
}
