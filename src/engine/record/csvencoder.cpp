#include "engine/record/csvencoder.h"

#include "engine/record/recordlines.h"
#include "engine/record/recordtime.h"
#include "engine/record/sweeprecord.h"

QByteArray CsvEncoder::header() const
{
    const std::string_view header = recordlines::csvHeader();
    return QByteArray(header.data(), static_cast<qsizetype>(header.size())) + '\n';
}

QByteArray CsvEncoder::sweep(const SweepRecord &sweep)
{
    QByteArray row = record::recordTime(sweep.utcMs).toLatin1();
    row += ',' + QByteArray::number(sweep.sweep);
    for (const qint16 dbm : sweep.dbm) {
        row += ',' + QByteArray::number(dbm);
    }
    return row + '\n';
}

QByteArray CsvEncoder::reading(const Reading &)
{
    return {};
}
