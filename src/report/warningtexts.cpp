#include "report/warningtexts.h"

#include "core/channelplan.h"

namespace {

constexpr double kMsPerSecond = 1000.0;
constexpr qint64 kMsPerMinute = qint64(60) * 1000;
constexpr qint64 kMinutesPerHour = 60;

QString seconds(qint64 ms)
{
    return QString::number(static_cast<double>(ms) / kMsPerSecond, 'f', 2);
}

} // namespace

QStringList WarningTexts::lines(const std::vector<SurveyWarning> &warnings)
{
    const WarningGroups groups = groupWarnings(warnings);
    QStringList lines;
    if (groups.shortSurvey) {
        lines.append(shortSurvey(*groups.shortSurvey));
    }
    if (!groups.everyChannel.empty()) {
        lines.append(everyChannel(groups));
    }
    if (!groups.someChannels.empty()) {
        lines.append(someChannels(groups));
    }
    if (!groups.slowRevisits.empty()) {
        lines.append(slowRevisits(groups));
    }
    return lines;
}

QString WarningTexts::shortSurvey(const SurveyWarning &warning)
{
    const qint64 minutes = warning.coveredMs / kMsPerMinute;
    return tr("the survey covers %1, less than 24 hours: hours of the day it did not see are not "
              "measured")
        .arg(tr("%1 h %2 min").arg(minutes / kMinutesPerHour).arg(minutes % kMinutesPerHour));
}

QString WarningTexts::everyChannel(const WarningGroups &groups)
{
    QStringList spans;
    for (const WarningGroups::Hours hours : groups.everyChannel) {
        spans.append(hourSpanText(hours));
    }
    return tr("fewer than %1 readings of every channel (fewest %2) at %3: the occupancy there is "
              "uncertain")
        .arg(surveywarnings::kFewestReadings)
        .arg(groups.everyChannelFewest)
        .arg(spans.join(tr(", ")));
}

QString WarningTexts::someChannels(const WarningGroups &groups)
{
    QStringList spans;
    for (const WarningGroups::ChannelHours &span : groups.someChannels) {
        spans.append(tr("%1 at %2 (%3)")
                         .arg(channelplan::channelNumber(span.index))
                         .arg(hourSpanText(span.hours))
                         .arg(span.fewest));
    }
    return tr("fewer than %1 readings of channel %2: the occupancy there is uncertain")
        .arg(surveywarnings::kFewestReadings)
        .arg(spans.join(tr(", ")));
}

QString WarningTexts::slowRevisits(const WarningGroups &groups)
{
    QStringList slow;
    for (const SurveyWarning &warning : groups.slowRevisits) {
        slow.append(tr("%1 (every %2 s, shortest burst %3 s)")
                        .arg(channelplan::channelNumber(warning.channelIndex))
                        .arg(seconds(warning.revisitMs), seconds(warning.shortestBurstMs)));
    }
    return tr("read less often than twice in the shortest burst, so shorter bursts may be "
              "missed: channel %1")
        .arg(slow.join(tr(", ")));
}
