#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What the monitor was asked for on its command line.
struct MonitorOptions
{
    QString recordPath; // empty: no recording at start
    bool openHistory = false;
    QString openPath;       // a recording to show in the history window at start
    QStringList alarmRules; // alarm rules for this session, every one readable
    QString watchTarget;    // a broker URL, with #RECEIVER the receiver to watch at start
};

// The result of reading the command line: options to run with, or a text to print and the
// status to exit with (help and version on standard output with 0, a bad command line on
// standard error with 2).
struct CommandLineOutcome
{
    std::optional<MonitorOptions> options;
    QString output;
    QString error;
    int exitCode = 0;
};

namespace commandline {

inline constexpr int kUsageExitCode = 2;

// arguments as QCoreApplication::arguments() has them, the program first.
CommandLineOutcome parse(const QStringList &arguments);

} // namespace commandline
