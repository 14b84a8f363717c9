#include "programs/monitor/remotewatch.h"

#include "engine/history/historystatistics.h"
#include "engine/history/sweephistory.h"
#include "engine/remote/brokerconnection.h"
#include "engine/remote/receiverdirectory.h"
#include "engine/remote/remotebroker.h"
#include "engine/remote/remotesource.h"
#include "engine/survey/surveyrun.h"
#include "programs/monitor/alarmmarking.h"
#include "windows/history/alarmspane.h"
#include "windows/history/historywindow.h"
#include "windows/history/monitoractions.h"
#include "windows/history/waterfallview.h"
#include "windows/remote/remotetexts.h"

#include <QAction>
#include <QDateTime>
#include <QDockWidget>
#include <QEvent>
#include <QLabel>
#include <QStatusBar>

#include <functional>
#include <utility>

namespace {

// Ends the watch when its window closes.
class CloseWatcher : public QObject
{
public:
    CloseWatcher(QObject *parent, std::function<void()> closed)
        : QObject(parent)
        , m_closed(std::move(closed))
    {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Close) {
            m_closed();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_closed;
};

} // namespace

RemoteWatch::RemoteWatch(std::shared_ptr<RemoteBroker> broker, const QString &receiver,
                         const QString &prefix, const QList<AlarmRuleEntry> &rules,
                         const MonitorActions &programActions, SavePathChooser chooser,
                         QObject *parent)
    : QObject(parent)
    , m_broker(std::move(broker))
    , m_receiver(receiver)
    , m_prefix(prefix)
    , m_history(new SweepHistory(SweepHistory::kFourHourRows, this))
    , m_statistics(new HistoryStatistics(*m_history, this))
    , m_alarms(new AlarmWatch(this))
    , m_actions(new MonitorActions(this))
    , m_run(std::make_unique<SurveyRun>(std::make_unique<RemoteSource>(m_broker->connection(),
                                                                       m_broker->directory(),
                                                                       receiver, prefix),
                                        std::nullopt, OccupancyThreshold{}, HourWindows::always()))
{
    Q_UNUSED(m_alarms->setRules(rules))
    // The main window's chart is not this window's: its image and max hold stay out.
    m_actions->saveChartImage->setVisible(false);
    m_actions->resetMaxHold->setVisible(false);
    connect(m_actions->showHistory, &QAction::triggered, programActions.showHistory,
            &QAction::trigger);
    connect(m_actions->showHelp, &QAction::triggered, programActions.showHelp, &QAction::trigger);
    connect(m_actions->watchRemote, &QAction::triggered, programActions.watchRemote,
            &QAction::trigger);

    m_window = std::make_unique<HistoryWindow>(*m_history, *m_statistics, m_run->recorder(),
                                               *m_actions, std::move(chooser));
    m_window->setObjectName(QStringLiteral("remoteHistoryWindow"));
    m_window->setWindowTitle(tr("%1 – KVT-318 History").arg(receiver));
    m_window->setAttribute(Qt::WA_QuitOnClose, false);
    m_window->addPane(new AlarmsPane(*m_alarms), tr("Alarms"), QStringLiteral("AlarmsDock"));
    m_window->findChild<WaterfallView *>()->setPlaceholder(
        tr("Waiting for the first sweep of %1 from the broker.").arg(receiver));
    m_status = new QLabel(m_window.get());
    m_status->setObjectName(QStringLiteral("remoteStatus"));
    m_window->statusBar()->insertWidget(0, m_status, 1);
    m_window->installEventFilter(new CloseWatcher(this, [this] { Q_EMIT closed(); }));
    connectHandlers();
    showStatus();
    m_run->start();
}

RemoteWatch::~RemoteWatch()
{
    m_run->stop();
}

RemoteSource &RemoteWatch::source() const
{
    return static_cast<RemoteSource &>(m_run->source());
}

void RemoteWatch::connectHandlers()
{
    // The run's mark goes in before the first sweep of each run, at that sweep's time, as a
    // scanner's clock is not this computer's.
    connect(&source(), &SweepSource::runStarted, this, [this] { m_runStarts = true; });
    m_run->addConsumer({[this](const SweepRecord &sweep) {
                            if (std::exchange(m_runStarts, false)) {
                                m_history->markRunStart(sweep.utcMs);
                            }
                            m_history->append(sweep);
                            m_alarms->addSweep(sweep);
                        },
                        {},
                        [this](const QString &reason) { m_alarms->end(reason); }});
    connect(&source(), &RemoteSource::alarm, m_alarms, &AlarmWatch::addDecided);
    connect(m_alarms, &AlarmWatch::happened, this, &RemoteWatch::showAlarmMarks);
    connect(m_alarms, &AlarmWatch::happened, this, [this](const AlarmEvent &event) {
        if (event.kind == AlarmEvent::Kind::Raised) {
            m_window->findChild<QDockWidget *>(QStringLiteral("AlarmsDock"))->show();
        }
    });
    connect(&m_broker->connection(), &BrokerConnection::stateChanged, this,
            &RemoteWatch::showStatus);
    connect(&source(), &SweepSource::said, this, &RemoteWatch::showStatus);
    // Only this receiver's news: ten windows on one broker need not all follow each sweep.
    const auto showIfMine = [this](int index) {
        const RemoteReceiver &receiver =
            m_broker->directory().receivers()[static_cast<std::size_t>(index)];
        if (receiver.name == m_receiver && (m_prefix.isEmpty() || receiver.prefix == m_prefix)) {
            showStatus();
        }
    };
    connect(&m_broker->directory(), &ReceiverDirectory::changed, this, showIfMine);
    connect(&m_broker->directory(), &ReceiverDirectory::added, this, showIfMine);
}

void RemoteWatch::showStatus()
{
    QString text = RemoteTexts::connection(m_broker->connection());
    const ReceiverDirectory &directory = m_broker->directory();
    const int index = directory.find(m_receiver, m_prefix);
    if (index >= 0) {
        const RemoteReceiver &receiver = directory.receivers()[static_cast<std::size_t>(index)];
        text += QStringLiteral("; ") + tr("%1 %2, last seen %3")
                                           .arg(receiver.name, RemoteTexts::state(receiver),
                                                RemoteTexts::lastSeen(receiver));
    } else {
        text += QStringLiteral("; ") + tr("%1 not listed yet").arg(m_receiver);
    }
    if (const qint64 unreadable = source().unreadable(); unreadable > 0) {
        text +=
            QStringLiteral("; ") +
            tr("messages not read: %1 (the last: %2)").arg(unreadable).arg(source().lastProblem());
    }
    m_status->setText(text);
}

void RemoteWatch::showAlarmMarks()
{
    alarmmarking::show(*m_alarms, *m_window);
}
