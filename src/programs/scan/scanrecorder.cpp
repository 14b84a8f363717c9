#include "programs/scan/scanrecorder.h"

#include "engine/record/channelstatistics.h"
#include "engine/record/recordsink.h"

ScanRecorder::ScanRecorder(ChannelStatistics &statistics, QObject *parent)
    : QObject(parent)
    , m_statistics(statistics)
{
    connect(&m_assembler, &SweepAssembler::sweepCompleted, this, &ScanRecorder::recordSweep);
}

void ScanRecorder::addSink(RecordSink *sink)
{
    m_sinks.push_back(sink);
}

void ScanRecorder::addReading(const Reading &reading)
{
    if (m_done || (m_channel && reading.index != *m_channel)) {
        return;
    }
    m_lastReading = reading;
    for (RecordSink *sink : m_sinks) {
        if (!sink->writeReading(reading)) {
            fail(*sink);
            return;
        }
    }
    if (m_channel) {
        m_statistics.addReading(reading);
        countRecord();
    } else {
        m_assembler.addReading(reading);
    }
}

void ScanRecorder::startRun()
{
    m_assembler.startRun();
    m_statistics.breakBursts();
}

void ScanRecorder::recordSweep(const SweepRecord &sweep)
{
    m_lastSweep = sweep;
    // What the file holds, and so what a replay of it counts: whole sweeps at their time.
    m_statistics.addSweep(sweep);
    for (RecordSink *sink : m_sinks) {
        if (!sink->writeSweep(sweep)) {
            fail(*sink);
            return;
        }
    }
    countRecord();
}

void ScanRecorder::countRecord()
{
    ++m_recorded;
    if (m_limit && m_recorded >= *m_limit) {
        m_done = true;
        Q_EMIT limitReached();
    }
}

void ScanRecorder::fail(const RecordSink &sink)
{
    m_done = true;
    Q_EMIT writeFailed(sink.errorString());
}
