#include "programs/monitor/commandline.h"

#include "core/optiontable.h"
#include "engine/alarm/alarmrule.h"
#include "engine/remote/mqtturl.h"

#include <QCoreApplication>
#include <QRegularExpression>

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

// URL or URL#RECEIVER; empty when it can be read, else what is wrong.
QString readWatchTarget(const QString &target)
{
    const qsizetype hash = target.indexOf(QLatin1Char('#'));
    const QString url = hash < 0 ? target : target.left(hash);
    if (!MqttUrl::parse(url)) {
        return QCoreApplication::translate(
                   "CommandLine",
                   "bad broker URL '%1': expected mqtt://HOST[:PORT] or mqtts://HOST[:PORT]")
            .arg(url);
    }
    static const QRegularExpression name(QStringLiteral("^[A-Za-z0-9._-]+$"));
    if (hash >= 0 && !name.match(target.mid(hash + 1)).hasMatch()) {
        return QCoreApplication::translate("CommandLine",
                                           "bad receiver name '%1': letters, digits, '-', '_' "
                                           "and '.' only")
            .arg(target.mid(hash + 1));
    }
    return {};
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
    rows.append({{QStringLiteral("watch")},
                 QCoreApplication::translate("CommandLine", "URL[#RECEIVER]"),
                 QCoreApplication::translate(
                     "CommandLine",
                     "Watch scanners publishing to the MQTT broker at URL (mqtt://HOST[:PORT] or "
                     "mqtts://HOST[:PORT]): the list of its receivers at start, or with "
                     "#RECEIVER that receiver's history window."),
                 {},
                 [&options](const QStringList &values) {
                     options.watchTarget = values.constLast();
                     return readWatchTarget(options.watchTarget);
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
