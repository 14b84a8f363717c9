#pragma once

#include <QtGlobal>

#include <array>
#include <chrono>
#include <vector>

// One channel's noise floor: the median of its readings over the last ten minutes, kept in a
// bounded window (the oldest readings go first when it is full) and a histogram of whole dBm,
// so that a median costs a short walk rather than a sort.
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
};
