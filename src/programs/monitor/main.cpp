#include "engine/record/outputfile.h"
#include "programs/monitor/commandline.h"
#include "programs/monitor/monitorprogram.h"
#include "programs/monitor/remotewatches.h"
#include "programs/monitor/translations.h"
#include "windows/history/historywindow.h"
#include "windows/main/mainwindow.h"

#include <QApplication>

#include <cstdio>

namespace {

void setIdentity()
{
    QCoreApplication::setApplicationName(QStringLiteral("kvt318-monitor"));
    QCoreApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                                .arg(KVT_VERSION_MAJOR)
                                                .arg(KVT_VERSION_MINOR)
                                                .arg(KVT_VERSION_PATCH));
}

// The command line is read before the display is touched, so that --help, --version and a bad
// option work anywhere, a terminal without a display included.
CommandLineOutcome readCommandLine(int &argc, char **argv)
{
    QCoreApplication app(argc, argv);
    setIdentity();
    translations::install(app);
    return commandline::parse(QCoreApplication::arguments());
}

} // namespace

int main(int argc, char *argv[])
{
    const CommandLineOutcome outcome = readCommandLine(argc, argv);
    if (!outcome.options) {
        std::fputs(outcome.output.toLocal8Bit().constData(), stdout);
        std::fputs(outcome.error.toLocal8Bit().constData(), stderr);
        return outcome.exitCode;
    }

    QApplication app(argc, argv);
    setIdentity();
    translations::install(app);
    // A file that can't be recorded to ends the program before the window exists, so that a
    // window never shown does not write its settings file.
    const QString &recordPath = outcome.options->recordPath;
    if (!recordPath.isEmpty()) {
        if (const QString error = OutputFile::openError(recordPath); !error.isEmpty()) {
            std::fprintf(stderr, "kvt318-monitor: %s\n", error.toLocal8Bit().constData());
            return 1;
        }
    }
    MonitorProgram program;
    program.addSessionAlarms(outcome.options->alarmRules);
    if (!recordPath.isEmpty() && !program.startRecording(recordPath)) {
        return 1;
    }
    program.window().show();
    if (outcome.options->openHistory) {
        program.showHistory();
    }
    if (!outcome.options->openPath.isEmpty()) {
        program.historyWindow()->openRecording(outcome.options->openPath);
    }
    if (!outcome.options->watchTarget.isEmpty()) {
        program.remoteWatches().open(outcome.options->watchTarget);
    }
    return QApplication::exec();
}
