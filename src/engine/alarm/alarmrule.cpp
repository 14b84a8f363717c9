#include "engine/alarm/alarmrule.h"

#include "core/channelplan.h"
#include "core/grammar.h"

#include <QStringList>

#include <cmath>

namespace alarms {

namespace {
// A week: longer holds are typing mistakes.
constexpr std::chrono::milliseconds kLongestDelay = std::chrono::hours(7 * 24);
const QString kNoise = QStringLiteral("noise");

std::optional<AlarmLevel> parseLevel(const QString &text)
{
    AlarmLevel level;
    QString number = text;
    if (text.startsWith(kNoise)) {
        level.noiseRelative = true;
        number = text.mid(kNoise.size());
        if (number.isEmpty()) {
            return level;
        }
        if (!number.startsWith(QLatin1Char('+')) && !number.startsWith(QLatin1Char('-'))) {
            return std::nullopt;
        }
    }
    bool ok = false;
    level.db = number.toDouble(&ok);
    if (!ok || !std::isfinite(level.db)) {
        return std::nullopt;
    }
    return level;
}

std::optional<std::pair<int, int>> parseChannels(const QString &text)
{
    if (text == QLatin1String("all")) {
        return std::pair{0, channelplan::kLastIndex};
    }
    const QStringList ends = text.split(QLatin1Char('-'));
    if (ends.size() > 2) {
        return std::nullopt;
    }
    bool firstOk = false;
    bool lastOk = false;
    const int first = ends.front().toInt(&firstOk);
    const int last = ends.back().toInt(&lastOk);
    const auto inPlan = [](int channel) {
        return channel >= channelplan::kFirstChannel && channel <= channelplan::kLastChannel;
    };
    if (!firstOk || !lastOk || !inPlan(first) || !inPlan(last) || last < first) {
        return std::nullopt;
    }
    return std::pair{channelplan::channelIndex(first), channelplan::channelIndex(last)};
}

ParsedRule refuse(const QString &text, const QString &what)
{
    return {std::nullopt, QStringLiteral("alarm rule \"%1\": %2").arg(text, what)};
}
} // namespace

ParsedRule parseRule(const QString &text)
{
    AlarmRule rule;
    rule.text = text;
    bool haveChannels = false;
    bool haveAbove = false;
    std::optional<AlarmLevel> clear;
    QStringList seen;
    for (const QString &part : text.split(QLatin1Char(','))) {
        const qsizetype equals = part.indexOf(QLatin1Char('='));
        const QString key = part.left(equals).trimmed();
        const QString value = part.mid(equals + 1).trimmed();
        if (equals < 0 || value.isEmpty()) {
            return refuse(text, QStringLiteral("\"%1\" is not KEY=VALUE").arg(part));
        }
        if (seen.contains(key)) {
            return refuse(text, QStringLiteral("%1 is given twice").arg(key));
        }
        seen.append(key);
        if (key == QLatin1String("ch")) {
            const auto channels = parseChannels(value);
            if (!channels) {
                return refuse(text, QStringLiteral("ch=%1 is not all, a channel %2 to %3 or a "
                                                   "range N-M of them")
                                        .arg(value)
                                        .arg(channelplan::kFirstChannel)
                                        .arg(channelplan::kLastChannel));
            }
            std::tie(rule.firstIndex, rule.lastIndex) = *channels;
            haveChannels = true;
        } else if (key == QLatin1String("above") || key == QLatin1String("clear")) {
            const auto level = parseLevel(value);
            if (!level) {
                return refuse(
                    text,
                    QStringLiteral("%1=%2 is not a level in dBm or noise+DB").arg(key, value));
            }
            (key == QLatin1String("above") ? rule.above : clear.emplace()) = *level;
            haveAbove = haveAbove || key == QLatin1String("above");
        } else if (key == QLatin1String("for") || key == QLatin1String("clear-for")) {
            const auto delay = grammar::readDuration(value, grammar::Zero::Allowed, kLongestDelay);
            if (!delay) {
                return refuse(text, QStringLiteral("%1=%2 is not a time such as 0, 500ms, 5s, "
                                                   "2m or 1h")
                                        .arg(key, value));
            }
            (key == QLatin1String("for") ? rule.holdFor : rule.clearFor) = *delay;
        } else {
            return refuse(text, QStringLiteral("unknown key \"%1\" (ch, above, for, clear, "
                                               "clear-for)")
                                    .arg(key));
        }
    }
    if (!haveChannels || !haveAbove) {
        return refuse(text, QStringLiteral("ch= and above= are both needed"));
    }
    rule.clear = clear.value_or(
        AlarmLevel{rule.above.db - AlarmRule::kDefaultClearMarginDb, rule.above.noiseRelative});
    // A clear level above the raise level would clear and raise again on the same reading.
    if (rule.clear.noiseRelative == rule.above.noiseRelative && rule.clear.db > rule.above.db) {
        return refuse(text, QStringLiteral("clear= must not be above above="));
    }
    return {rule, {}};
}

} // namespace alarms
