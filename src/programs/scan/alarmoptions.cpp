#include "programs/scan/alarmoptions.h"

#include "core/grammar.h"

namespace alarmoptions {

namespace {
// A week: longer waits are typing mistakes.
constexpr std::chrono::milliseconds kLongestInterval = std::chrono::hours(7 * 24);

const OptionCondition kAlarm{QStringLiteral("alarm"), {}, QStringLiteral("--%1 needs an --alarm")};
} // namespace

QList<OptionRow> rows(AlarmSettings &settings)
{
    QList<OptionRow> rows;
    rows.append({{QStringLiteral("alarm")},
                 QStringLiteral("RULE"),
                 QStringLiteral("Raise an alarm when a channel's level goes above a level; "
                                "repeatable. RULE: ch=all|N|N-M,above=LEVEL[,for=D][,clear=LEVEL]"
                                "[,clear-for=D], LEVEL in dBm (-90) or over the channel's noise "
                                "floor (noise+10); defaults for=0, clear=above-3, clear-for=5s."),
                 {},
                 [&settings](const QStringList &values) {
                     for (const QString &text : values) {
                         alarms::ParsedRule parsed = alarms::parseRule(text);
                         if (!parsed.rule) {
                             return parsed.error;
                         }
                         settings.rules.push_back(std::move(*parsed.rule));
                     }
                     return QString();
                 }});
    rows.append({{QStringLiteral("alarm-log")},
                 QStringLiteral("FILE"),
                 QStringLiteral("Append every alarm event to FILE as CSV "
                                "(time,event,channel,mhz,dbm,duration_s,peak_dbm,rule,reason)."),
                 {},
                 [&settings](const QStringList &values) {
                     settings.logPath = values.constLast();
                     return QString();
                 },
                 {kAlarm}});
    rows.append({{QStringLiteral("on-alarm")},
                 QStringLiteral("COMMAND"),
                 QStringLiteral("Run COMMAND with /bin/sh -c for every raise and clear, the event "
                                "as JSON on its standard input, KVT318_EVENT, KVT318_CHANNEL and "
                                "KVT318_DBM set; 4 at most at once, killed after 10 s."),
                 {},
                 [&settings](const QStringList &values) {
                     settings.command = values.constLast();
                     return QString();
                 },
                 {kAlarm}});
    rows.append({{QStringLiteral("on-alarm-interval")},
                 QStringLiteral("D"),
                 QStringLiteral("Run COMMAND for a channel's raises at most once per D (default "
                                "60s; 0: every one)."),
                 QStringLiteral("60s"),
                 [&settings](const QStringList &values) {
                     const auto interval = grammar::readDuration(
                         values.constLast(), grammar::Zero::Allowed, kLongestInterval);
                     if (!interval) {
                         return optiontable::refusal(QStringLiteral("on-alarm-interval"),
                                                     QStringLiteral("a time such as 60s or 5m, "
                                                                    "or 0"),
                                                     values.constLast());
                     }
                     settings.commandInterval = *interval;
                     return QString();
                 },
                 {kAlarm}});
    return rows;
}

} // namespace alarmoptions
