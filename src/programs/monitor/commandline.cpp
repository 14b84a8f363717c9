#include "programs/monitor/commandline.h"

#include "engine/alarm/alarmrule.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace commandline {

namespace {

// Qt's own options (-platform offscreen, -style fusion, -reverse, …), which QApplication takes
// from the same command line later: accepted here, and left out of the usage.
void acceptToolkitOptions(QCommandLineParser &parser)
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QStringList withValue = {
        QStringLiteral("platform"),        QStringLiteral("platformpluginpath"),
        QStringLiteral("platformtheme"),   QStringLiteral("plugin"),
        QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowicon"),
        QStringLiteral("qwindowtitle"),    QStringLiteral("session"),
        QStringLiteral("display"),         QStringLiteral("geometry"),
        QStringLiteral("style"),           QStringLiteral("stylesheet"),
        QStringLiteral("qmljsdebugger")};
    for (const QString &name : withValue) {
        QCommandLineOption option(name, QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const QString &name : {QStringLiteral("reverse"), QStringLiteral("widgetcount")}) {
        QCommandLineOption option(name);
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

} // namespace

CommandLineOutcome parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    acceptToolkitOptions(parser);
    parser.setApplicationDescription(QCoreApplication::translate(
        "CommandLine",
        "Monitor of the received signal strength on the 40 channels of a KVT-318 radio "
        "module.\n\nExit status: 0 when the window closes, 1 when the recording file "
        "cannot be opened, 2 on a bad command line."));
    const QCommandLineOption record(
        QStringLiteral("record"),
        QCoreApplication::translate(
            "CommandLine",
            "Record every complete sweep of every run to FILE (CSV; rows are appended, the "
            "header is written when the file is new or empty)."),
        QCoreApplication::translate("CommandLine", "FILE"));
    const QCommandLineOption history(
        QStringLiteral("history"),
        QCoreApplication::translate("CommandLine", "Open the history window at start."));
    const QCommandLineOption open(
        QStringLiteral("open"),
        QCoreApplication::translate("CommandLine",
                                    "Open the history window at start, showing recording FILE."),
        QCoreApplication::translate("CommandLine", "FILE"));
    const QCommandLineOption alarm(
        QStringLiteral("alarm"),
        QCoreApplication::translate(
            "CommandLine", "Add alarm RULE for this session (repeatable): "
                           "ch=all|N|N-M,above=LEVEL[,for=D][,clear=LEVEL][,clear-for=D]."),
        QCoreApplication::translate("CommandLine", "RULE"));
    parser.addOption(record);
    parser.addOption(history);
    parser.addOption(open);
    parser.addOption(alarm);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();

    CommandLineOutcome outcome;
    if (!parser.parse(arguments)) {
        outcome.error = parser.errorText() + QLatin1Char('\n') + parser.helpText();
        outcome.exitCode = kUsageExitCode;
        return outcome;
    }
    if (!parser.positionalArguments().isEmpty()) {
        outcome.error = QCoreApplication::translate("CommandLine", "Unexpected argument: %1")
                            .arg(parser.positionalArguments().first()) +
                        QLatin1Char('\n') + parser.helpText();
        outcome.exitCode = kUsageExitCode;
        return outcome;
    }
    if (parser.isSet(help)) {
        outcome.output = parser.helpText();
        return outcome;
    }
    if (parser.isSet(version)) {
        outcome.output = QCoreApplication::applicationName() + QLatin1Char(' ') +
                         QCoreApplication::applicationVersion() + QLatin1Char('\n');
        return outcome;
    }
    for (const QString &text : parser.values(alarm)) {
        const alarms::ParsedRule rule = alarms::parseRule(text);
        if (!rule.rule) {
            outcome.error = rule.error + QLatin1Char('\n') + parser.helpText();
            outcome.exitCode = kUsageExitCode;
            return outcome;
        }
    }
    MonitorOptions options;
    options.alarmRules = parser.values(alarm);
    options.recordPath = parser.value(record);
    options.openPath = parser.value(open);
    options.openHistory = parser.isSet(history) || !options.openPath.isEmpty();
    outcome.options = options;
    return outcome;
}

} // namespace commandline
