#pragma once

#include "engine/protocol/reading.h"
#include "engine/record/sweepassembler.h"

#include <QObject>

#include <optional>

class ChannelStatistics;
class RecordSink;

// Takes every stored reading of a run to the statistics and the record sinks: complete sweeps,
// or with a single channel every reading of it. Counts what it recorded and says when the
// limit is reached or a sink fails; after either it records nothing more.
class ScanRecorder : public QObject
{
    Q_OBJECT

public:
    ScanRecorder(ChannelStatistics &statistics, QObject *parent = nullptr);

    void addSink(RecordSink *sink);
    // Only this channel index, one record per reading.
    void setChannel(std::optional<int> index) { m_channel = index; }
    void setLimit(std::optional<qint64> records) { m_limit = records; }

    void addReading(const Reading &reading);
    // A new run after a reconnect: the unfinished sweep is dropped, bursts end at the gap.
    void startRun();

    // Sweeps recorded, or readings with a single channel.
    [[nodiscard]] qint64 recorded() const { return m_recorded; }
    [[nodiscard]] const std::optional<SweepRecord> &lastSweep() const { return m_lastSweep; }
    [[nodiscard]] const std::optional<Reading> &lastReading() const { return m_lastReading; }

Q_SIGNALS:
    void limitReached();
    void writeFailed(const QString &reason);

private:
    void recordSweep(const SweepRecord &sweep);
    void countRecord();
    void fail(const RecordSink &sink);

    ChannelStatistics &m_statistics;
    SweepAssembler m_assembler;
    std::vector<RecordSink *> m_sinks;
    std::optional<int> m_channel;
    std::optional<qint64> m_limit;
    qint64 m_recorded = 0;
    bool m_done = false;
    std::optional<SweepRecord> m_lastSweep;
    std::optional<Reading> m_lastReading;
};
