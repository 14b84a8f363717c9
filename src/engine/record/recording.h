#pragma once

#include "core/channelplan.h"
#include "core/radiomode.h"
#include "engine/record/recordformat.h"
#include "engine/record/sweeprecord.h"

#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

class ChannelStatistics;

// The sweeps of a recording read back, in the order of the file, split into runs. A row is a
// complete sweep of all channels, or one reading in a single-channel recording. Levels are held
// in a byte each, so that a day of sweeps stays within a few tens of megabytes.
class Recording
{
public:
    static constexpr int kLowestDbm = -140;
    static constexpr int kHighestDbm = 10;
    // A pause longer than this many sweep intervals starts a new run, as a reconnect does.
    static constexpr int kBreakIntervals = 10;

    // width 40 from channel index 0, or 1 for a single channel at firstIndex.
    explicit Recording(int width = channelplan::kChannelCount, int firstIndex = 0);

    // Rows come in time order. A run also begins where the writer numbered sweeps anew, the
    // mode changed, or the pause before the row was a break.
    void append(qint64 utcMs, const qint16 *levels, std::optional<RadioMode> mode,
                bool numberedAnew);
    // Gives back what growing the storage had reserved beyond the rows.
    void finish();

    void setFormat(RecordFormat format) { m_format = format; }
    // The receiver that made the recording, where its records name it.
    void setReceiver(const QString &receiver) { m_receiver = receiver; }
    [[nodiscard]] const QString &receiver() const { return m_receiver; }
    [[nodiscard]] RecordFormat format() const { return m_format; }
    [[nodiscard]] int width() const { return m_width; }
    [[nodiscard]] int firstIndex() const { return m_firstIndex; }
    [[nodiscard]] qint64 rows() const { return static_cast<qint64>(m_times.size()); }
    [[nodiscard]] bool isEmpty() const { return m_times.empty(); }
    [[nodiscard]] qint64 utcMs(qint64 row) const { return m_times[static_cast<std::size_t>(row)]; }
    [[nodiscard]] qint16 dbm(qint64 row, int column) const;
    // The rows where a run begins, ascending; the first is 0 when there are rows.
    [[nodiscard]] const std::vector<qint64> &runStarts() const { return m_runStarts; }
    [[nodiscard]] bool startsRun(qint64 row) const;
    // Nothing where the file did not say.
    [[nodiscard]] std::optional<RadioMode> mode(qint64 row) const;
    // A row as a sweep record, numbered from 1 within its run; channels a single-channel
    // recording does not hold read as no reading.
    [[nodiscard]] SweepRecord sweep(qint64 row) const;
    // The first and one-past-last row whose time lies within [fromMs, toMs].
    [[nodiscard]] std::pair<qint64, qint64> rowsBetween(qint64 fromMs, qint64 toMs) const;
    // Bytes held for the rows.
    [[nodiscard]] std::size_t memoryUse() const;

private:
    RecordFormat m_format = RecordFormat::Csv;
    QString m_receiver;
    int m_width = channelplan::kChannelCount;
    int m_firstIndex = 0;
    std::vector<qint64> m_times;
    std::vector<std::uint8_t> m_levels; // dBm - kLowestDbm, m_width a row
    std::vector<qint64> m_runStarts;
    std::vector<std::optional<RadioMode>> m_runModes;
};

namespace record {

// Adds rows [first, last) to the statistics, every reading at its row's time; bursts end at
// the start of each run.
void addRows(ChannelStatistics &statistics, const Recording &recording, qint64 first, qint64 last);

} // namespace record
