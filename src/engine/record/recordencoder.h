#pragma once

#include <QByteArray>

struct Reading;
struct SweepRecord;

// The bytes of one record format: the top of a file, a row for each record, and what the format
// still holds at the end of a file. It touches no file, so that a file, a test and a benchmark
// use the same one. A format takes either complete sweeps or single readings (the format table
// says which); the other kind gives no bytes. A format that gathers records (an interval, the
// lines of a sweep) gives them with a later record or at the end.
class RecordEncoder
{
public:
    virtual ~RecordEncoder() = default;

    // Empty for formats without a header.
    [[nodiscard]] virtual QByteArray header() const { return {}; }
    virtual QByteArray sweep(const SweepRecord &sweep) = 0;
    virtual QByteArray reading(const Reading &reading) = 0;
    virtual QByteArray end() { return {}; }
};
