#include "record/longreadingwriter.h"

#include "protocol/reading.h"
#include "record/recordtime.h"

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
    row += ',' + QByteArray::number(record::channelNumber(reading.index));
    row += ',' + record::channelMhz(reading.index).toLatin1();
    row += ',' + QByteArray::number(reading.dbm) + '\n';
    return writeLine(row);
}
