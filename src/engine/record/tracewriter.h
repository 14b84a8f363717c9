#pragma once

#include <QString>

#include <optional>

class ChannelStatistics;
class QIODevice;
struct ChannelSummary;

// Which level of a channel the frequency-planning trace gives: the held peak by default, which
// is what coordination software should treat as occupied.
enum class TraceLevel { Max, Mean, Median, P90 };

namespace record {

// "max", "mean", "median" or "p90".
std::optional<TraceLevel> traceLevelFromName(const QString &name);
double traceLevel(const ChannelSummary &summary, TraceLevel level);

// The two-column scan that frequency-coordination programs import: "429.5375,-72.0" per measured
// channel, four decimals of MHz so that neighbouring 12.5 kHz channels stay apart, one of dBm,
// CR LF line ends, no header. A channel never read has no line. False when the device fails.
bool writeTrace(QIODevice &device, const ChannelStatistics &statistics, TraceLevel level);

} // namespace record
