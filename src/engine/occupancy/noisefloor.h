#pragma once

#include <QtGlobal>

#include <array>
#include <chrono>
#include <vector>

// One channel's noise floor: the median of its readings over the last ten minutes, kept in a
// bounded window (the oldest readings go first when it is full) and a histogram of whole dBm.
// The bin of the last median found is kept with the count below it, so that the next median,
// which seldom moves far, costs a step or two rather than a walk from the lowest level.
class NoiseFloor
{
public:
    static constexpr std::chrono::milliseconds kSpan{10 * 60 * 1000};
    // Ten minutes of readings at one sweep every 150 ms.
    static constexpr std::size_t kCapacity = 4096;
    static constexpr qint16 kLowestDbm = -160;
    static constexpr qint16 kHighestDbm = 40;

    void add(qint64 utcMs, qint16 dbm);
    // The median in dBm; the reading itself before there is any.
    [[nodiscard]] double median() const;
    [[nodiscard]] std::size_t size() const { return m_size; }

private:
    struct Sample
    {
        qint64 utcMs = 0;
        qint16 dbm = 0;
    };

    void dropOldest();
    [[nodiscard]] int valueAt(std::size_t rank) const;

    std::vector<Sample> m_ring;
    std::size_t m_first = 0;
    std::size_t m_size = 0;
    std::array<quint16, kHighestDbm - kLowestDbm + 1> m_counts{};
    // The bin where the last search ended, and how many readings lie in the bins below it.
    mutable std::size_t m_bin = 0;
    mutable std::size_t m_below = 0;
};
