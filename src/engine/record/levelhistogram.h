#pragma once

#include <QtGlobal>

#include <array>

// How often each whole-dBm level was read, in constant memory: one bin per level from -150 to
// 0 dBm, a level beyond either end counted in the end bin. Percentiles are exact within that
// range.
class LevelHistogram
{
public:
    static constexpr qint16 kLowest = -150;
    static constexpr qint16 kHighest = 0;
    static constexpr int kBins = kHighest - kLowest + 1;

    void add(qint16 dbm);
    void clear();
    [[nodiscard]] qint64 count() const { return m_count; }
    // The lowest level at or below which at least `percent` (1 to 100) of the readings lie: the
    // nearest-rank percentile, in whole numbers so that 90 % of 10 readings is the 9th, not the
    // 10th by a rounding error. Nothing counted gives kLowest.
    [[nodiscard]] qint16 percentile(int percent) const;

private:
    std::array<qint64, kBins> m_bins{};
    qint64 m_count = 0;
};
