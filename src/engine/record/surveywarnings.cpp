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
            .arg(channelName(warning.channelIndex), hourSpanText({warning.hour, warning.hour}))
            .arg(surveywarnings::kFewestReadings);
    case SurveyWarning::Kind::SlowRevisit:
        break;
    }
    return QStringLiteral("%1 is read every %2, more than half its shortest burst (%3): shorter "
                          "bursts may be missed")
        .arg(channelName(warning.channelIndex), seconds(warning.revisitMs),
             seconds(warning.shortestBurstMs));
}

WarningGroups groupWarnings(const std::vector<SurveyWarning> &warnings)
{
    WarningGroups groups;
    for (std::size_t i = 0; i < warnings.size(); ++i) {
        const SurveyWarning &warning = warnings[i];
        switch (warning.kind) {
        case SurveyWarning::Kind::ShortSurvey:
            groups.shortSurvey = warning;
            break;
        case SurveyWarning::Kind::FewReadings:
            if (warning.channelIndex >= 0) {
                auto &spans = groups.someChannels;
                const auto span = std::find_if(spans.begin(), spans.end(), [&warning](auto &s) {
                    return s.index == warning.channelIndex && s.hours.last == warning.hour - 1;
                });
                if (span == spans.end()) {
                    spans.push_back(
                        {warning.channelIndex, {warning.hour, warning.hour}, warning.count});
                } else {
                    span->hours.last = warning.hour;
                    span->fewest = std::min(span->fewest, warning.count);
                }
                break;
            }
            groups.everyChannelFewest = std::min(groups.everyChannelFewest, warning.count);
            if (i > 0 && warnings[i - 1].kind == warning.kind && warnings[i - 1].channelIndex < 0 &&
                warnings[i - 1].hour == warning.hour - 1) {
                groups.everyChannel.back().last = warning.hour;
            } else {
                groups.everyChannel.push_back({warning.hour, warning.hour});
            }
            break;
        case SurveyWarning::Kind::SlowRevisit:
            groups.slowRevisits.push_back(warning);
            break;
        }
    }
    return groups;
}

QString hourSpanText(WarningGroups::Hours hours)
{
    return QStringLiteral("%1:00-%2:00")
        .arg(hours.first, 2, 10, QLatin1Char('0'))
        .arg(hours.last + 1, 2, 10, QLatin1Char('0'));
}

QStringList warningLines(const std::vector<SurveyWarning> &warnings)
{
    const WarningGroups groups = groupWarnings(warnings);
    QStringList lines;
    if (groups.shortSurvey) {
        lines.append(warningText(*groups.shortSurvey));
    }
    if (!groups.everyChannel.empty()) {
        QStringList spans;
        for (const WarningGroups::Hours hours : groups.everyChannel) {
            spans.append(hourSpanText(hours));
        }
        lines.append(QStringLiteral("fewer than %1 readings of every channel (fewest %2) at %3: "
                                    "the occupancy there is uncertain")
                         .arg(surveywarnings::kFewestReadings)
                         .arg(groups.everyChannelFewest)
                         .arg(spans.join(QStringLiteral(", "))));
    }
    if (!groups.someChannels.empty()) {
        QStringList spans;
        for (const WarningGroups::ChannelHours &span : groups.someChannels) {
            spans.append(QStringLiteral("%1 at %2 (%3)")
                             .arg(channelplan::channelNumber(span.index))
                             .arg(hourSpanText(span.hours))
                             .arg(span.fewest));
        }
        lines.append(QStringLiteral("fewer than %1 readings of channel %2: the occupancy there is "
                                    "uncertain")
                         .arg(surveywarnings::kFewestReadings)
                         .arg(spans.join(QStringLiteral(", "))));
    }
    if (!groups.slowRevisits.empty()) {
        QStringList slow;
        for (const SurveyWarning &warning : groups.slowRevisits) {
            slow.append(QStringLiteral("%1 (every %2, shortest burst %3)")
                            .arg(channelplan::channelNumber(warning.channelIndex))
                            .arg(seconds(warning.revisitMs), seconds(warning.shortestBurstMs)));
        }
        lines.append(QStringLiteral("read less often than twice in the shortest burst, so "
                                    "shorter bursts may be missed: channel %1")
                         .arg(slow.join(QStringLiteral(", "))));
    }
    return lines;
}
