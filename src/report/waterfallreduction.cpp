#include "report/waterfallreduction.h"

#include "engine/protocol/monitorstate.h"

#include <algorithm>
#include <utility>

ReducedRows::ReducedRows(std::vector<HistoryRow> oldestFirst)
    : m_rows(std::move(oldestFirst))
{}

int ReducedRows::rowCount() const
{
    return static_cast<int>(m_rows.size());
}

HistoryRow ReducedRows::row(int age) const
{
    return m_rows[m_rows.size() - 1 - static_cast<std::size_t>(age)];
}

void WaterfallReduction::addSweep(qint64 utcMs, const Levels &dbm)
{
    if (m_slices.empty()) {
        m_slices.resize(kSlices);
        for (Slice &slice : m_slices) {
            slice.dbm = MonitorState::noReadings();
        }
        m_firstUtcMs = utcMs;
    }
    qint64 at = std::max<qint64>(0, utcMs - m_firstUtcMs) / m_sliceMs;
    while (at >= kSlices) {
        halve();
        at = std::max<qint64>(0, utcMs - m_firstUtcMs) / m_sliceMs;
    }
    Slice &slice = m_slices[static_cast<std::size_t>(at)];
    if (!slice.swept) {
        slice.afterBreak = m_broken;
    }
    m_broken = false;
    slice.swept = true;
    for (std::size_t channel = 0; channel < dbm.size(); ++channel) {
        slice.dbm[channel] = std::max(slice.dbm[channel], dbm[channel]);
    }
    m_last = std::max(m_last, static_cast<int>(at));
    ++m_sweeps;
}

void WaterfallReduction::breakRun()
{
    m_broken = m_sweeps > 0;
}

void WaterfallReduction::halve()
{
    for (int i = 0; i < kSlices / 2; ++i) {
        const Slice &early = m_slices[static_cast<std::size_t>(2 * i)];
        const Slice &late = m_slices[static_cast<std::size_t>(2 * i + 1)];
        Slice merged;
        for (std::size_t channel = 0; channel < merged.dbm.size(); ++channel) {
            merged.dbm[channel] = std::max(early.dbm[channel], late.dbm[channel]);
        }
        merged.swept = early.swept || late.swept;
        merged.afterBreak = early.swept ? early.afterBreak : late.afterBreak;
        m_slices[static_cast<std::size_t>(i)] = merged;
    }
    for (int i = kSlices / 2; i < kSlices; ++i) {
        m_slices[static_cast<std::size_t>(i)] = Slice{MonitorState::noReadings(), false, false};
    }
    m_sliceMs *= 2;
    m_last /= 2;
}

int WaterfallReduction::usedSlices() const
{
    return m_last + 1;
}

ReducedRows WaterfallReduction::rows(int count) const
{
    const int used = usedSlices();
    if (used <= 0 || count <= 0) {
        return ReducedRows({});
    }
    std::vector<HistoryRow> rows(static_cast<std::size_t>(count));
    std::vector<bool> swept(rows.size(), false);
    std::vector<bool> afterBreak(rows.size(), false);
    for (int r = 0; r < count; ++r) {
        const int first = static_cast<int>(qint64{r} * used / count);
        const int last = std::max(first + 1, static_cast<int>(qint64{r + 1} * used / count));
        HistoryRow &row = rows[static_cast<std::size_t>(r)];
        row.utcMs = m_firstUtcMs + first * m_sliceMs;
        row.dbm = MonitorState::noReadings();
        for (int s = first; s < last; ++s) {
            const Slice &slice = m_slices[static_cast<std::size_t>(s)];
            if (slice.swept && !swept[static_cast<std::size_t>(r)]) {
                afterBreak[static_cast<std::size_t>(r)] = slice.afterBreak;
            }
            swept[static_cast<std::size_t>(r)] = swept[static_cast<std::size_t>(r)] || slice.swept;
            for (std::size_t channel = 0; channel < row.dbm.size(); ++channel) {
                row.dbm[channel] = std::max(row.dbm[channel], slice.dbm[channel]);
            }
        }
    }
    // A row narrower than the time between two sweeps repeats the one before, unless a break
    // lies between them: the next row with a sweep says.
    std::vector<bool> breakAhead(rows.size(), false);
    bool ahead = false;
    for (std::size_t r = rows.size(); r-- > 0;) {
        ahead = swept[r] ? afterBreak[r] : ahead;
        breakAhead[r] = ahead;
    }
    for (std::size_t r = 1; r < rows.size(); ++r) {
        if (!swept[r] && !breakAhead[r]) {
            rows[r].dbm = rows[r - 1].dbm;
        }
    }
    return ReducedRows(std::move(rows));
}
