#include "programs/scan/alarmoptions.h"

#include <QCommandLineParser>

namespace alarmoptions {

namespace {
const QString kAlarm = QStringLiteral("alarm");
const QString kLog = QStringLiteral("alarm-log");
const QString kCommand = QStringLiteral("on-alarm");
const QString kInterval = QStringLiteral("on-alarm-interval");
} // namespace

void addTo(QCommandLineParser &parser)
{
    parser.addOptions({
        {kAlarm,
         QStringLiteral("Raise an alarm when a channel's level goes above a level; repeatable. "
                        "RULE: ch=all|N|N-M,above=LEVEL[,for=D][,clear=LEVEL][,clear-for=D], "
                        "LEVEL in dBm (-90) or over the channel's noise floor (noise+10); "
                        "defaults for=0, clear=above-3, clear-for=5s."),
         QStringLiteral("RULE")},
        {kLog,
         QStringLiteral("Append every alarm event to FILE as CSV "
                        "(time,event,channel,mhz,dbm,duration_s,peak_dbm,rule,reason)."),
         QStringLiteral("FILE")},
        {kCommand,
         QStringLiteral("Run COMMAND with /bin/sh -c for every raise and clear, the event as "
                        "JSON on its standard input, KVT318_EVENT, KVT318_CHANNEL and "
                        "KVT318_DBM set; 4 at most at once, killed after 10 s."),
         QStringLiteral("COMMAND")},
        {kInterval,
         QStringLiteral("Run COMMAND for a channel's raises at most once per D (default 60s; "
                        "0: every one)."),
         QStringLiteral("D"), QStringLiteral("60s")},
    });
}

QString read(const QCommandLineParser &parser, AlarmSettings &settings)
{
    for (const QString &text : parser.values(kAlarm)) {
        alarms::ParsedRule parsed = alarms::parseRule(text);
        if (!parsed.rule) {
            return parsed.error;
        }
        settings.rules.push_back(std::move(*parsed.rule));
    }
    settings.logPath = parser.value(kLog);
    settings.command = parser.value(kCommand);
    const auto interval = alarms::parseDelay(parser.value(kInterval));
    if (!interval) {
        return QStringLiteral("--%1 needs a time such as 60s or 5m, or 0, not '%2'")
            .arg(kInterval, parser.value(kInterval));
    }
    settings.commandInterval = *interval;
    if (settings.rules.empty()) {
        for (const QString &option : {kLog, kCommand, kInterval}) {
            if (parser.isSet(option)) {
                return QStringLiteral("--%1 needs an --alarm").arg(option);
            }
        }
    }
    return {};
}

} // namespace alarmoptions
