#pragma once

#include "core/optiontable.h"
#include "engine/alarm/alarmrule.h"

#include <QString>

#include <chrono>
#include <vector>

// What kvt318-scan watches for and whom it tells.
struct AlarmSettings
{
    static constexpr std::chrono::milliseconds kDefaultCommandInterval{60'000};

    std::vector<AlarmRule> rules;
    QString logPath;
    // Below this much free space events are left out of the log; 0: no floor.
    qint64 logMinFreeBytes = 0;
    // Run through /bin/sh -c for every raise and clear.
    QString command;
    // A channel's raises start the command at most this often.
    std::chrono::milliseconds commandInterval = kDefaultCommandInterval;
};

// The --alarm options of kvt318-scan.
namespace alarmoptions {

// The rows of the options, reading the rules and where their events go into settings. A rule
// that cannot be read refuses the whole command line.
QList<OptionRow> rows(AlarmSettings &settings);

} // namespace alarmoptions
