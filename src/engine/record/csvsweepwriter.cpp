#include "engine/record/csvsweepwriter.h"
#include "core/channelplan.h"

#include "engine/record/recordtime.h"
#include "engine/record/sweeprecord.h"

bool CsvSweepWriter::writeHeader()
{
    QByteArray header("time,sweep");
    for (int i = 0; i < MonitorState::kChannelCount; ++i) {
        header += ",ch" + QByteArray::number(channelplan::channelNumber(i));
    }
    return writeLine(header + '\n');
}

bool CsvSweepWriter::writeSweep(const SweepRecord &sweep)
{
    QByteArray row = record::recordTime(sweep.utcMs).toLatin1();
    row += ',' + QByteArray::number(sweep.sweep);
    for (const qint16 dbm : sweep.dbm) {
        row += ',' + QByteArray::number(dbm);
    }
    return writeLine(row + '\n');
}
