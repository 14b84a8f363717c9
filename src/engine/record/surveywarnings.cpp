#include "engine/record/surveywarnings.h"

#include "core/channelplan.h"
#include "engine/record/channelstatistics.h"

#include <algorithm>

namespace {

constexpr double kMsPerSecond = 1000.0;
constexpr qint64 kMsPerMinute = qint64(60) * 1000;
constexpr qint64 kMinutesPerHour = 60;

QString seconds(qint64 ms)
{
    return QStringLiteral("%1 s").arg(static_cast<double>(ms) / kMsPerSecond, 0, 'f', 2);
}

QString length(qint64 ms)
{
    const qint64 minutes = ms / kMsPerMinute;
    return QStringLiteral("%1 h %2 min")
        .arg(minutes / kMinutesPerHour)
        .arg(minutes % kMinutesPerHour);
}

QString hourSpan(int first, int last)
{
    return QStringLiteral("%1:00-%2:00")
        .arg(first, 2, 10, QLatin1Char('0'))
        .arg(last + 1, 2, 10, QLatin1Char('0'));
}

QString channelName(int index)
{
    return index < 0 ? QStringLiteral("every channel")
                     : QStringLiteral("channel %1").arg(channelplan::channelNumber(index));
}

void addFewReadings(const ChannelStatistics &statistics, std::vector<SurveyWarning> &warnings)
{
    const HourOfDayMap &map = statistics.hourMap();
    std::vector<int> measured;
    for (int index = 0; index < channelplan::kChannelCount; ++index) {
        if (statistics.channel(index).hourSamples > 0) {
            measured.push_back(index);
        }
    }
    if (measured.empty()) {
        return;
    }
    for (int hour = 0; hour < HourOfDayMap::kHours; ++hour) {
        if (!statistics.hours().coversHour(hour)) {
            continue;
        }
        std::vector<SurveyWarning> few;
        for (const int index : measured) {
            const qint64 count = map.readings(index, DayType::Weekday, hour) +
                                 map.readings(index, DayType::Weekend, hour);
            if (count < surveywarnings::kFewestReadings) {
                few.push_back({SurveyWarning::Kind::FewReadings, index, hour, count});
            }
        }
        if (few.size() == measured.size() && measured.size() > 1) {
            const auto fewest =
                std::min_element(few.begin(), few.end(),
                                 [](const auto &a, const auto &b) { return a.count < b.count; });
            warnings.push_back({SurveyWarning::Kind::FewReadings, -1, hour, fewest->count});
        } else {
            warnings.insert(warnings.end(), few.begin(), few.end());
        }
    }
}

} // namespace

std::vector<SurveyWarning> surveyWarnings(const ChannelStatistics &statistics)
{
    std::vector<SurveyWarning> warnings;
    if (!statistics.firstUtcMs()) {
        return warnings;
    }
    const qint64 covered = *statistics.lastUtcMs() - *statistics.firstUtcMs();
    if (covered < std::chrono::milliseconds(surveywarnings::kShortestSurvey).count()) {
        SurveyWarning warning;
        warning.coveredMs = covered;
        warnings.push_back(warning);
    }
    addFewReadings(statistics, warnings);
    for (int index = 0; index < channelplan::kChannelCount; ++index) {
        const ChannelSummary summary = statistics.channel(index);
        // Half the shortest burst: a burst no longer than the gap between two readings may fall
        // in it unseen.
        if (summary.shortestBurstMs > 0 && 2 * summary.revisitMs > summary.shortestBurstMs) {
            SurveyWarning warning;
            warning.kind = SurveyWarning::Kind::SlowRevisit;
            warning.channelIndex = index;
            warning.revisitMs = summary.revisitMs;
            warning.shortestBurstMs = summary.shortestBurstMs;
            warnings.push_back(warning);
        }
    }
    return warnings;
}

QString warningText(const SurveyWarning &warning)
{
    switch (warning.kind) {
    case SurveyWarning::Kind::ShortSurvey:
        return QStringLiteral("the survey covers %1, less than 24 hours: hours of the day it did "
                              "not see are not measured")
            .arg(length(warning.coveredMs));
    case SurveyWarning::Kind::FewReadings:
        return QStringLiteral("%1 readings of %2 at %3, fewer than %4: its occupancy there is "
                              "uncertain")
            .arg(warning.count)
            .arg(channelName(warning.channelIndex), hourSpan(warning.hour, warning.hour))
            .arg(surveywarnings::kFewestReadings);
    case SurveyWarning::Kind::SlowRevisit:
        break;
    }
    return QStringLiteral("%1 is read every %2, more than half its shortest burst (%3): shorter "
                          "bursts may be missed")
        .arg(channelName(warning.channelIndex), seconds(warning.revisitMs),
             seconds(warning.shortestBurstMs));
}

QStringList warningLines(const std::vector<SurveyWarning> &warnings)
{
    QStringList lines;
    QStringList everyChannel;
    // A channel's neighbouring hours in one span, with the fewest readings of the span.
    struct ChannelHours
    {
        int index;
        int first;
        int last;
        qint64 fewest;
    };
    std::vector<ChannelHours> someChannels;
    QStringList slow;
    qint64 fewest = surveywarnings::kFewestReadings;
    for (std::size_t i = 0; i < warnings.size(); ++i) {
        const SurveyWarning &warning = warnings[i];
        switch (warning.kind) {
        case SurveyWarning::Kind::ShortSurvey:
            lines.append(warningText(warning));
            break;
        case SurveyWarning::Kind::FewReadings:
            if (warning.channelIndex >= 0) {
                const auto span =
                    std::find_if(someChannels.begin(), someChannels.end(), [&warning](auto &s) {
                        return s.index == warning.channelIndex && s.last == warning.hour - 1;
                    });
                if (span == someChannels.end()) {
                    someChannels.push_back(
                        {warning.channelIndex, warning.hour, warning.hour, warning.count});
                } else {
                    span->last = warning.hour;
                    span->fewest = std::min(span->fewest, warning.count);
                }
                break;
            }
            fewest = std::min(fewest, warning.count);
            // Neighbouring hours in one span.
            if (i > 0 && warnings[i - 1].kind == warning.kind && warnings[i - 1].channelIndex < 0 &&
                warnings[i - 1].hour == warning.hour - 1) {
                everyChannel.last() = hourSpan(everyChannel.last().left(2).toInt(), warning.hour);
            } else {
                everyChannel.append(hourSpan(warning.hour, warning.hour));
            }
            break;
        case SurveyWarning::Kind::SlowRevisit:
            slow.append(QStringLiteral("%1 (every %2, shortest burst %3)")
                            .arg(channelplan::channelNumber(warning.channelIndex))
                            .arg(seconds(warning.revisitMs), seconds(warning.shortestBurstMs)));
            break;
        }
    }
    if (!everyChannel.isEmpty()) {
        lines.append(QStringLiteral("fewer than %1 readings of every channel (fewest %2) at %3: "
                                    "the occupancy there is uncertain")
                         .arg(surveywarnings::kFewestReadings)
                         .arg(fewest)
                         .arg(everyChannel.join(QStringLiteral(", "))));
    }
    if (!someChannels.empty()) {
        QStringList spans;
        for (const ChannelHours &span : someChannels) {
            spans.append(QStringLiteral("%1 at %2 (%3)")
                             .arg(channelplan::channelNumber(span.index))
                             .arg(hourSpan(span.first, span.last))
                             .arg(span.fewest));
        }
        lines.append(QStringLiteral("fewer than %1 readings of channel %2: the occupancy there is "
                                    "uncertain")
                         .arg(surveywarnings::kFewestReadings)
                         .arg(spans.join(QStringLiteral(", "))));
    }
    if (!slow.isEmpty()) {
        lines.append(QStringLiteral("read less often than twice in the shortest burst, so "
                                    "shorter bursts may be missed: channel %1")
                         .arg(slow.join(QStringLiteral(", "))));
    }
    return lines;
}
