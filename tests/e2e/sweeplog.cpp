#include "sweeplog.h"

#include <algorithm>
#include <utility>

namespace {

constexpr qsizetype kTagLength = 4;
constexpr qsizetype kFieldLength = 2;
constexpr qsizetype kUnitLength = 3; // "dBm"
constexpr int kHex = 16;
constexpr int kByteOffset = 256;

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
    // Only the line end is dropped: a reply's own blanks are part of what was sent.
    QByteArray line = entry.bytes;
    while (line.endsWith('\n') || line.endsWith('\r')) {
        line.chop(1);
    }
    bool ok = false;
    if (entry.fromMonitor) {
        const bool air = line.startsWith("@AM");
        if (air || line.startsWith("@CH")) {
            const int channel = line.mid(kTagLength - 1, kFieldLength).toInt(&ok, kHex);
            m_selected = ok ? channel - kFirstChannel : m_selected;
        }
        if (line == "@RA" || (ok && air)) {
            m_awaited.push_back(m_selected);
        }
        if (line == "@RA" && m_channelSetAt >= 0) {
            m_pauses.append(entry.micros - std::exchange(m_channelSetAt, -1));
        }
        return;
    }
    // Garbage before a reply never holds the tag's '*'.
    line = line.mid(std::max<qsizetype>(0, line.lastIndexOf('*')));
    qint16 dBm = 0;
    if (line.startsWith("*CH=")) {
        m_channelSetAt = entry.micros;
    } else if (line.startsWith("*RA=") && line.endsWith("dBm")) {
        dBm = static_cast<qint16>(
            line.mid(kTagLength, line.size() - kTagLength - kUnitLength).toInt(&ok));
    } else if (line.startsWith("*RS=")) {
        dBm =
            static_cast<qint16>(line.mid(kTagLength, kFieldLength).toInt(&ok, kHex) - kByteOffset);
    }
    if (ok && !m_awaited.empty()) {
        m_measurements.append({m_awaited.front(), dBm, entry.micros, index});
        m_awaited.pop_front();
    }
}
