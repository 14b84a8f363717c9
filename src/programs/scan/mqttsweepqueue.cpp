#include "programs/scan/mqttsweepqueue.h"

#include <algorithm>

MqttSweepQueue::MqttSweepQueue(int capacity)
    : m_capacity(static_cast<std::size_t>(std::max(capacity, 1)))
{}

void MqttSweepQueue::push(QByteArray payload)
{
    const std::lock_guard lock(m_mutex);
    if (m_payloads.size() >= m_capacity) {
        m_payloads.pop_front();
        ++m_dropped;
    }
    m_payloads.push_back(std::move(payload));
}

std::optional<QByteArray> MqttSweepQueue::takeOldest()
{
    const std::lock_guard lock(m_mutex);
    if (m_payloads.empty()) {
        return std::nullopt;
    }
    QByteArray payload = std::move(m_payloads.front());
    m_payloads.pop_front();
    return payload;
}

void MqttSweepQueue::countUnsendable()
{
    const std::lock_guard lock(m_mutex);
    ++m_dropped;
}

qint64 MqttSweepQueue::dropAll()
{
    const std::lock_guard lock(m_mutex);
    const auto left = static_cast<qint64>(m_payloads.size());
    m_payloads.clear();
    m_dropped += left;
    return left;
}

bool MqttSweepQueue::isEmpty() const
{
    const std::lock_guard lock(m_mutex);
    return m_payloads.empty();
}

bool MqttSweepQueue::isFull() const
{
    const std::lock_guard lock(m_mutex);
    return m_payloads.size() >= m_capacity;
}

qint64 MqttSweepQueue::dropped() const
{
    const std::lock_guard lock(m_mutex);
    return m_dropped;
}
