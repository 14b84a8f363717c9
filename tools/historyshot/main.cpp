// kvt318-historyshot RECORDING PNG [HOURS]: the history window showing the recording on its
// "By hour" tab, with the hours that count typed in, saved as drawn. Run it with
// QT_QPA_PLATFORM=offscreen where there is no display.
#include "programs/monitor/monitorprogram.h"
#include "windows/history/historywindow.h"

#include <QApplication>
#include <QDockWidget>
#include <QLineEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

constexpr QSize kShotSize(900, 1000);
// Waterfall, bars and map, table: room for the map's 24 hours.
const QList<int> kPanelHeights{360, 420, 220};
constexpr int kByHourTab = 1;
constexpr std::chrono::milliseconds kLoadPoll{50};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 3) {
        std::fputs("usage: kvt318-historyshot RECORDING PNG [HOURS]\n", stderr);
        return 2;
    }
    // The settings and alarms of a session of its own, never the user's.
    const QTemporaryDir settings;
    MonitorProgram::Services services;
    services.window.settingsPath = settings.filePath(QStringLiteral("monitor.ini"));
    services.alarmStorePath = settings.filePath(QStringLiteral("alarms.ini"));
    MonitorProgram program(std::move(services));
    program.showHistory();
    HistoryWindow *window = program.historyWindow();
    window->resize(kShotSize);
    // The picture is of the views; the panes beside them have pictures of their own.
    for (auto *dock : window->findChildren<QDockWidget *>()) {
        dock->hide();
    }
    window->findChild<QSplitter *>()->setSizes(kPanelHeights);
    window->findChild<QTabWidget *>(QStringLiteral("occupancyViews"))->setCurrentIndex(kByHourTab);
    if (arguments.size() > 3) {
        auto *hours = window->findChild<QLineEdit *>(QStringLiteral("hours"));
        hours->setText(arguments.at(3));
        Q_EMIT hours->editingFinished();
    }
    window->openRecording(arguments.at(1));
    int status = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        if (window->isLoading()) {
            return;
        }
        poll.stop();
        if (!window->grab().save(arguments.at(2))) {
            std::fprintf(stderr, "kvt318-historyshot: %s: cannot be written\n",
                         qPrintable(arguments.at(2)));
            status = 1;
        }
        QCoreApplication::exit(status);
    });
    poll.start(kLoadPoll);
    return QApplication::exec();
}
