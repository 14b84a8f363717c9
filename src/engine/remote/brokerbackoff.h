#pragma once

#include <algorithm>
#include <chrono>

// How long to wait before the next attempt to reach a broker: 1 s, 2 s, 4 s … up to 30 s, as
// kvt318-scan waits; back to 1 s once a connection was made.
class BrokerBackoff
{
public:
    static constexpr std::chrono::seconds kFirst{1};
    static constexpr std::chrono::seconds kLongest{30};

    // The wait before the next attempt, which doubles the one after it.
    std::chrono::seconds next()
    {
        const std::chrono::seconds wait = m_next;
        m_next = std::min(m_next * 2, kLongest);
        return wait;
    }
    void reset() { m_next = kFirst; }

private:
    std::chrono::seconds m_next = kFirst;
};
