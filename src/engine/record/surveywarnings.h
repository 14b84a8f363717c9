#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <chrono>
#include <optional>
#include <vector>

class ChannelStatistics;

// A reason to doubt a survey's figures, with what a reader needs to say it in any language.
struct SurveyWarning
{
    enum class Kind {
        // It covers less than a day: hours of the day are missing.
        ShortSurvey,
        // An hour of the day inside the hours has few readings of a channel.
        FewReadings,
        // A channel is read less often than twice in its shortest burst: shorter ones slip by.
        SlowRevisit,
    };

    Kind kind = Kind::ShortSurvey;
    // -1: every channel measured.
    int channelIndex = -1;
    int hour = -1;
    // FewReadings: the readings (the fewest of the channels, for every channel).
    qint64 count = 0;
    qint64 revisitMs = 0;
    qint64 shortestBurstMs = 0;
    qint64 coveredMs = 0;
};

namespace surveywarnings {
inline constexpr std::chrono::hours kShortestSurvey{24};
inline constexpr qint64 kFewestReadings = 100;
} // namespace surveywarnings

// What is due now, in this order: the survey's length, the hours of the day, the channels.
std::vector<SurveyWarning> surveyWarnings(const ChannelStatistics &statistics);
// The warnings as their lines tell them, for a text in any language: the hours with few readings
// and the channels read too seldom each in one group, however many there are.
struct WarningGroups
{
    // Neighbouring hours of the day, first and last included.
    struct Hours
    {
        int first = 0;
        int last = 0;
    };
    // A channel's neighbouring hours with the fewest readings among them.
    struct ChannelHours
    {
        int index = 0;
        Hours hours;
        qint64 fewest = 0;
    };

    std::optional<SurveyWarning> shortSurvey;
    // Hours with few readings of every channel, and the fewest of them all.
    std::vector<Hours> everyChannel;
    qint64 everyChannelFewest = surveywarnings::kFewestReadings;
    std::vector<ChannelHours> someChannels;
    std::vector<SurveyWarning> slowRevisits;
};

WarningGroups groupWarnings(const std::vector<SurveyWarning> &warnings);
// "05:00-07:00": the hours from first to last included.
QString hourSpanText(WarningGroups::Hours hours);

// One line of English.
QString warningText(const SurveyWarning &warning);
// The warnings in a few lines of English: the hours with few readings and the channels read too
// seldom each in one line, however many there are.
QStringList warningLines(const std::vector<SurveyWarning> &warnings);
