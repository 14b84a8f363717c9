#pragma once

#include <QByteArray>

#include <deque>
#include <mutex>
#include <optional>

// Sweeps waiting for the broker, handed from the sweeping thread to the network thread. It holds
// at most a fixed number; a sweep that does not fit pushes out the oldest, and those are counted.
class MqttSweepQueue
{
public:
    explicit MqttSweepQueue(int capacity);

    void push(QByteArray payload);
    [[nodiscard]] std::optional<QByteArray> takeOldest();
    // A sweep taken that the broker can never get counts as dropped too.
    void countUnsendable();
    // Empties the queue, counting what it held as dropped; returns how many that was.
    qint64 dropAll();
    [[nodiscard]] bool isEmpty() const;
    // Whether the next push would push out the oldest.
    [[nodiscard]] bool isFull() const;
    // Sweeps pushed out since the start.
    [[nodiscard]] qint64 dropped() const;

private:
    const std::size_t m_capacity;
    mutable std::mutex m_mutex;
    std::deque<QByteArray> m_payloads;
    qint64 m_dropped = 0;
};
