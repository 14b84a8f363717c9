#pragma once

#include <QString>

struct Reading;
struct SweepRecord;

// Where records go: one implementation per format or destination. Each write reaches the
// device before it returns, so a crash or an unplug loses at most the sweep in progress.
// A write that fails returns false and errorString() says why; the caller stops recording.
class RecordSink
{
public:
    virtual ~RecordSink() = default;

    // The format's header line, if it has one; written once at the top of a file.
    virtual bool writeHeader() { return true; }
    virtual bool writeSweep(const SweepRecord &sweep) = 0;
    // Formats that record sweeps ignore single readings.
    virtual bool writeReading(const Reading &reading);
    // The end of the recording: formats that gather records write what they still hold.
    virtual bool writeEnd() { return true; }
    [[nodiscard]] virtual QString errorString() const = 0;
};
