#include "programs/monitor/commandline.h"

#include "core/optiontable.h"
#include "engine/alarm/alarmrule.h"

#include <QCoreApplication>

namespace commandline {

namespace {

// Qt's own options (-platform offscreen, -style fusion, -reverse, …), which QApplication takes
// from the same command line later: accepted here, and left out of the usage.
QList<OptionRow> toolkitRows()
{
    const QStringList withValue = {
        QStringLiteral("platform"),        QStringLiteral("platformpluginpath"),
        QStringLiteral("platformtheme"),   QStringLiteral("plugin"),
        QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowicon"),
        QStringLiteral("qwindowtitle"),    QStringLiteral("session"),
        QStringLiteral("display"),         QStringLiteral("geometry"),
        QStringLiteral("style"),           QStringLiteral("stylesheet"),
        QStringLiteral("qmljsdebugger")};
    QList<OptionRow> rows;
    for (const QString &name : withValue) {
        OptionRow row{{name}, QStringLiteral("value")};
        row.hidden = true;
        rows.append(row);
    }
    for (const QString &name : {QStringLiteral("reverse"), QStringLiteral("widgetcount")}) {
        OptionRow row{{name}};
        row.hidden = true;
        rows.append(row);
    }
    return rows;
}

QList<OptionRow> monitorRows(MonitorOptions &options)
{
    QList<OptionRow> rows;
    rows.append({{QStringLiteral("record")},
                 QCoreApplication::translate("CommandLine", "FILE"),
                 QCoreApplication::translate(
                     "CommandLine",
                     "Record every complete sweep of every run to FILE (CSV; rows are appended, "
                     "the header is written when the file is new or empty)."),
                 {},
                 [&options](const QStringList &values) {
                     options.recordPath = values.constLast();
                     return QString();
                 }});
    rows.append({{QStringLiteral("history")},
                 {},
                 QCoreApplication::translate("CommandLine", "Open the history window at start."),
                 {},
                 [&options](const QStringList &) {
                     options.openHistory = true;
                     return QString();
                 }});
    rows.append({{QStringLiteral("open")},
                 QCoreApplication::translate("CommandLine", "FILE"),
                 QCoreApplication::translate(
                     "CommandLine", "Open the history window at start, showing recording FILE."),
                 {},
                 [&options](const QStringList &values) {
                     options.openPath = values.constLast();
                     options.openHistory = options.openHistory || !options.openPath.isEmpty();
                     return QString();
                 }});
    rows.append(
        {{QStringLiteral("alarm")},
         QCoreApplication::translate("CommandLine", "RULE"),
         QCoreApplication::translate(
             "CommandLine", "Add alarm RULE for this session (repeatable): "
                            "ch=all|N|N-M,above=LEVEL[,for=D][,clear=LEVEL][,clear-for=D]."),
         {},
         [&options](const QStringList &values) {
             for (const QString &text : values) {
                 const alarms::ParsedRule rule = alarms::parseRule(text);
                 if (!rule.rule) {
                     return rule.error;
                 }
             }
             options.alarmRules = values;
             return QString();
         }});
    return rows;
}

CommandLineOutcome refused(const QString &error, const OptionTable &table)
{
    CommandLineOutcome outcome;
    outcome.error = error + QLatin1Char('\n') + table.helpText();
    outcome.exitCode = kUsageExitCode;
    return outcome;
}

} // namespace

CommandLineOutcome parse(const QStringList &arguments)
{
    MonitorOptions options;
    OptionTable table(QCoreApplication::translate(
        "CommandLine",
        "Monitor of the received signal strength on the 40 channels of a KVT-318 radio "
        "module.\n\nExit status: 0 when the window closes, 1 when the recording file "
        "cannot be opened, 2 on a bad command line."));
    table.add(toolkitRows());
    table.add(monitorRows(options));
    table.addHelpAndVersion();

    if (const QString error = table.parse(arguments); !error.isEmpty()) {
        return refused(error, table);
    }
    if (const QStringList positional = table.positional(); !positional.isEmpty()) {
        return refused(QCoreApplication::translate("CommandLine", "Unexpected argument: %1")
                           .arg(positional.first()),
                       table);
    }
    CommandLineOutcome outcome;
    const QString action = table.action();
    if (action == QLatin1String("help")) {
        outcome.output = table.helpText();
        return outcome;
    }
    if (action == QLatin1String("version")) {
        outcome.output = QCoreApplication::applicationName() + QLatin1Char(' ') +
                         QCoreApplication::applicationVersion() + QLatin1Char('\n');
        return outcome;
    }
    if (const QString error = table.read(); !error.isEmpty()) {
        return refused(error, table);
    }
    outcome.options = options;
    return outcome;
}

} // namespace commandline
