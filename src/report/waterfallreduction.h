#pragma once

#include "engine/history/sweeprows.h"

#include <QtGlobal>

#include <array>
#include <vector>

// A waterfall's rows as a page shows them, newest first.
class ReducedRows : public SweepRows
{
public:
    explicit ReducedRows(std::vector<HistoryRow> oldestFirst);

    [[nodiscard]] int rowCount() const override;
    [[nodiscard]] HistoryRow row(int age) const override;

private:
    std::vector<HistoryRow> m_rows;
};

// The whole period of a survey reduced while its sweeps come in, in memory that does not grow
// with its length: the period is cut into a fixed number of slices, each keeping every channel's
// highest level, so that a burst of one sweep stays visible however long the survey. When a
// sweep falls beyond the last slice, neighbouring slices merge and each covers twice the time.
class WaterfallReduction
{
public:
    static constexpr int kSlices = 4096;

    using Levels = std::array<qint16, channelplan::kChannelCount>;

    void addSweep(qint64 utcMs, const Levels &dbm);
    // Nothing is known between the last sweep and the next one.
    void breakRun();

    [[nodiscard]] qint64 sweeps() const { return m_sweeps; }
    // The period in count rows, oldest first; a row takes the highest level of its slices. A
    // row between two sweeps of one run without a sweep of its own repeats the row before; one in
    // a break shows no reading.
    [[nodiscard]] ReducedRows rows(int count) const;

private:
    struct Slice
    {
        Levels dbm{};
        bool swept = false;
        // A break came before this slice's first sweep.
        bool afterBreak = false;
    };

    void halve();
    [[nodiscard]] int usedSlices() const;

    std::vector<Slice> m_slices;
    qint64 m_firstUtcMs = 0;
    qint64 m_sliceMs = 1;
    int m_last = -1;
    qint64 m_sweeps = 0;
    bool m_broken = false;
};
