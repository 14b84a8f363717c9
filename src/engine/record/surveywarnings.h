#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <chrono>
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
// One line of English.
QString warningText(const SurveyWarning &warning);
// The warnings in a few lines of English: the hours with few readings and the channels read too
// seldom each in one line, however many there are.
QStringList warningLines(const std::vector<SurveyWarning> &warnings);
