#include "app/commandline.h"
#include "app/translations.h"
#include "history/historycontroller.h"
#include "ui/mainwindow.h"

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
    MainWindow window;
    HistoryController history(window);
    if (!outcome.options->recordPath.isEmpty() &&
        !history.startRecording(outcome.options->recordPath)) {
        return 1;
    }
    window.show();
    if (outcome.options->openHistory) {
        history.showHistory();
    }
    return QApplication::exec();
}
