#pragma once

#include <QString>
#include <QtGlobal>

#include <chrono>
#include <optional>

// A level an alarm compares with: fixed dBm, or dB above (below) the channel's noise floor.
struct AlarmLevel
{
    double db = 0.0;
    bool noiseRelative = false;

    // The level in dBm on a channel whose noise floor is noiseDbm.
    [[nodiscard]] double dbm(double noiseDbm) const { return noiseRelative ? noiseDbm + db : db; }
};

// One rule as the user wrote it: ch=all|N|N-M,above=LEVEL[,for=D][,clear=LEVEL][,clear-for=D].
// Each channel of the range is an alarm of its own.
struct AlarmRule
{
    static constexpr double kDefaultClearMarginDb = 3.0;
    static constexpr std::chrono::milliseconds kDefaultClearFor{5000};

    QString text;
    // Channel indices, 0 being channel 7.
    int firstIndex = 0;
    int lastIndex = 0;
    AlarmLevel above;
    AlarmLevel clear;
    std::chrono::milliseconds holdFor{0};
    std::chrono::milliseconds clearFor = kDefaultClearFor;
};

namespace alarms {

struct ParsedRule
{
    std::optional<AlarmRule> rule;
    // When there is no rule: the text and what is wrong with it, one line.
    QString error;
};

ParsedRule parseRule(const QString &text);

} // namespace alarms
