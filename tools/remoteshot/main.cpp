// kvt318-remoteshot URL RECEIVER LIST_PNG WINDOW_PNG [SECONDS]: the receiver list of the broker
// at URL once RECEIVER is in it with its rate (or after half a minute), then RECEIVER's history
// window after SECONDS (default 60) of its sweeps, each saved as drawn. Run it with
// QT_QPA_PLATFORM=offscreen where there is no display.
#include "engine/history/sweephistory.h"
#include "engine/remote/receiverdirectory.h"
#include "engine/remote/remotebroker.h"
#include "programs/monitor/remotewatch.h"
#include "programs/monitor/remotewatches.h"
#include "windows/history/historywindow.h"
#include "windows/history/monitoractions.h"
#include "windows/remote/watchdialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>
#include <QTimer>

#include <cstdio>

namespace {
constexpr QSize kWindowSize(960, 680);
constexpr std::chrono::milliseconds kPoll{200};
constexpr int kDefaultSeconds = 60;
constexpr qint64 kLongestListWaitMs = 30000;

bool save(QWidget &widget, const QString &path)
{
    if (!widget.grab().save(path)) {
        std::fprintf(stderr, "kvt318-remoteshot: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 5) {
        std::fputs("usage: kvt318-remoteshot URL RECEIVER LIST_PNG WINDOW_PNG [SECONDS]\n", stderr);
        return 2;
    }
    const QString receiver = arguments[2];
    const int seconds = arguments.size() > 5 ? arguments[5].toInt() : kDefaultSeconds;
    MonitorActions actions;
    RemoteWatches watches(actions, [] { return QList<AlarmRuleEntry>{}; }, {});
    WatchDialog &dialog = watches.showDialog();
    dialog.connectTo(arguments[1]);
    if (!dialog.broker()) {
        std::fprintf(stderr, "kvt318-remoteshot: not a broker URL: %s\n", qPrintable(arguments[1]));
        return 2;
    }
    int status = 1;
    QTimer poll;
    RemoteWatch *watch = nullptr;
    QElapsedTimer listed;
    listed.start();
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        const ReceiverDirectory &directory = dialog.broker()->directory();
        const int index = directory.find(receiver);
        const bool complete =
            index >= 0 && directory.receivers()[std::size_t(index)].sweepsPerSecond.has_value();
        if (watch == nullptr && index >= 0 && (complete || listed.hasExpired(kLongestListWaitMs))) {
            dialog.findChild<QTableView *>(QStringLiteral("receivers"))->selectRow(index);
            if (!save(dialog, arguments[3])) {
                QCoreApplication::exit(1);
                return;
            }
            watch = &watches.watch(dialog.broker(), receiver);
            watch->window().resize(kWindowSize);
            QTimer::singleShot(std::chrono::seconds(seconds), &app, [&] {
                status = save(watch->window(), arguments[4]) ? 0 : 1;
                QCoreApplication::exit(status);
            });
        }
    });
    poll.start(kPoll);
    return QApplication::exec();
}
