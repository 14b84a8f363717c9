#include "engine/record/tracewriter.h"

#include "engine/record/channelstatistics.h"
#include "engine/record/recordtime.h"

#include <QFileDevice>
#include <QIODevice>

namespace record {

namespace {
constexpr int kDbmDecimals = 1;
} // namespace

std::optional<TraceLevel> traceLevelFromName(const QString &name)
{
    if (name == QLatin1String("max")) {
        return TraceLevel::Max;
    }
    if (name == QLatin1String("mean")) {
        return TraceLevel::Mean;
    }
    if (name == QLatin1String("median")) {
        return TraceLevel::Median;
    }
    if (name == QLatin1String("p90")) {
        return TraceLevel::P90;
    }
    return std::nullopt;
}

double traceLevel(const ChannelSummary &summary, TraceLevel level)
{
    switch (level) {
    case TraceLevel::Mean:
        return summary.mean;
    case TraceLevel::Median:
        return summary.median;
    case TraceLevel::P90:
        return summary.p90;
    case TraceLevel::Max:
        break;
    }
    return summary.max;
}

bool writeTrace(QIODevice &device, const ChannelStatistics &statistics, TraceLevel level)
{
    QByteArray text;
    for (int i = 0; i < MonitorState::kChannelCount; ++i) {
        const ChannelSummary summary = statistics.channel(i);
        if (summary.samples == 0) {
            continue;
        }
        text += channelMhz(i).toLatin1() + ',' +
                QByteArray::number(traceLevel(summary, level), 'f', kDbmDecimals) + "\r\n";
    }
    bool written = device.write(text) == text.size();
    if (auto *file = qobject_cast<QFileDevice *>(&device)) {
        written = file->flush() && written;
    }
    return written;
}

} // namespace record
