#include "sweeplog.h"

#include <utility>

namespace {

constexpr qsizetype kTagLength = 4;
constexpr qsizetype kFieldLength = 2;
constexpr qsizetype kUnitLength = 3; // "dBm"
constexpr int kHex = 16;
constexpr int kByteOffset = 256;

QByteArray withoutLineEnd(QByteArray bytes)
{
    while (bytes.endsWith('\n') || bytes.endsWith('\r')) {
        bytes.chop(1);
    }
    return bytes;
}

} // namespace

SweepLog::SweepLog(QList<SimProcess::LogEntry> entries)
    : m_entries(std::move(entries))
{
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        read(m_entries.at(i), i);
    }
}

void SweepLog::read(const SimProcess::LogEntry &entry, qsizetype index)
{
    const QByteArray line = withoutLineEnd(entry.bytes);
    if (entry.fromMonitor) {
        if (line.startsWith("@CH") || line.startsWith("@AM")) {
            bool ok = false;
            const int channel = line.mid(kTagLength - 1, kFieldLength).toInt(&ok, kHex);
            if (ok) {
                m_selected = channel - kFirstChannel;
            }
            if (ok && line.startsWith("@AM")) {
                m_awaited.push_back(m_selected);
            }
        } else if (line == "@RA") {
            m_awaited.push_back(m_selected);
            if (m_channelSetAt >= 0) {
                m_pauses.append(entry.micros - m_channelSetAt);
                m_channelSetAt = -1;
            }
        }
        return;
    }
    bool ok = false;
    qint16 dBm = 0;
    if (line.startsWith("*CH=")) {
        m_channelSetAt = entry.micros;
        return;
    }
    if (line.startsWith("*RA=") && line.endsWith("dBm")) {
        const QByteArray value = line.mid(kTagLength, line.size() - kTagLength - kUnitLength);
        dBm = static_cast<qint16>(value.toInt(&ok));
    } else if (line.startsWith("*RS=")) {
        const int byte = line.mid(kTagLength, kFieldLength).toInt(&ok, kHex);
        dBm = static_cast<qint16>(byte - kByteOffset);
    }
    if (ok && !m_awaited.empty()) {
        m_measurements.append({m_awaited.front(), dBm, entry.micros, index});
        m_awaited.pop_front();
    }
}
