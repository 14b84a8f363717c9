#pragma once

#include "engine/record/spaceguard.h"

#include <QString>

#include <vector>

struct Reading;
struct SweepRecord;

// Where records go: one implementation per format or destination. Each write hands its row to
// the system before it returns (a write(2), no buffer of its own); sync() makes what was
// written durable. A write that fails returns false and errorString() says why, naming the
// file; the caller stops writing to it.
class RecordSink
{
public:
    virtual ~RecordSink() = default;

    // The format's header line, if it has one and the file needs it; called before the first
    // record.
    virtual bool writeHeader() { return true; }
    virtual bool writeSweep(const SweepRecord &sweep) = 0;
    // Formats that record sweeps ignore single readings.
    virtual bool writeReading(const Reading &reading);
    // True when the sink records every reading rather than complete sweeps.
    [[nodiscard]] virtual bool takesReadings() const { return false; }
    // Asks the system to put what was written on the disk (fdatasync), where there is one.
    virtual bool sync() { return true; }
    // The end of the recording: formats that gather records write what they still hold.
    virtual bool writeEnd() { return true; }
    // Ends the file as writeEnd() does and opens it again at its name, for a file moved away.
    virtual bool reopen() { return true; }
    // What the sink has to tell its user since the last call.
    virtual std::vector<FileNotice> takeNotices() { return {}; }
    // Rows taken but not written for want of room, so far.
    [[nodiscard]] virtual qint64 droppedRows() const { return 0; }
    [[nodiscard]] virtual QString errorString() const = 0;
};
