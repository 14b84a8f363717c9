#include "programs/monitor/monitorprogram.h"

#include "engine/alarm/alarmwatch.h"
#include "engine/history/historystatistics.h"
#include "engine/history/sweephistory.h"
#include "engine/protocol/qtseriallink.h"
#include "engine/protocol/sweepengine.h"
#include "engine/record/recorder.h"
#include "programs/monitor/alarmmarking.h"
#include "programs/monitor/alarmnotifier.h"
#include "programs/monitor/alarmstore.h"
#include "programs/monitor/remotewatches.h"
#include "report/reportalarms.h"
#include "windows/history/alarmspane.h"
#include "windows/history/helpwindow.h"
#include "windows/history/historywindow.h"
#include "windows/history/imagefiles.h"
#include "windows/history/monitoractions.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDockWidget>
#include <QMessageBox>

#include <cstdio>

namespace {

std::unique_ptr<SerialLink> realLinkUnlessGiven(std::unique_ptr<SerialLink> link)
{
    return link ? std::move(link) : std::make_unique<QtSerialLink>();
}

} // namespace

MonitorProgram::MonitorProgram(Services services, QObject *parent)
    : QObject(parent)
    , m_engine(std::make_unique<SweepEngine>(realLinkUnlessGiven(std::move(services.link))))
    , m_window(std::make_unique<MainWindow>(*m_engine, std::move(services.window)))
    , m_chooser(savepath::fileDialog())
    , m_actions(new MonitorActions(this))
    , m_history(new SweepHistory(SweepHistory::kFourHourRows, this))
    , m_statistics(new HistoryStatistics(*m_history, this))
    , m_recorder(std::make_unique<Recorder>())
    , m_alarms(new AlarmWatch(this))
    , m_alarmStore(services.alarmStorePath.isEmpty()
                       ? std::make_unique<AlarmStore>()
                       : std::make_unique<AlarmStore>(services.alarmStorePath))
    , m_arrangementPath(services.arrangementPath.isEmpty() ? HistoryWindow::defaultArrangementPath()
                                                           : services.arrangementPath)
    , m_remoteWatches(std::make_unique<RemoteWatches>(
          *m_actions, [this] { return m_alarms->rules(); },
          [this](QWidget *window, const QString &caption, const QString &directory,
                 const QString &filter) { return m_chooser(window, caption, directory, filter); }))
{
    m_actions->attachTo(m_window.get());
    auto notifier = std::make_unique<AlarmNotifier>();
    m_notifier = notifier.get();
    m_alarms->addAction(std::move(notifier));
    // From the start: the history window's report lists the alarms of hours before it opened.
    auto kept = std::make_unique<AlarmEventKeeper>();
    m_keptAlarms = kept.get();
    m_alarms->addAction(std::move(kept));
    loadAlarms();
    connectHandlers();
}

MonitorProgram::~MonitorProgram()
{
    m_remoteWatches.reset();
    m_historyWindow.reset();
    for (const Recorder::Unwritten &file : m_recorder->finish()) {
        report(tr("%1: rows not written: %2").arg(file.name).arg(file.rows));
    }
}

void MonitorProgram::connectHandlers()
{
    SweepEngine &engine = *m_engine;
    connect(&engine, &SweepEngine::readingStored, m_recorder.get(), &Recorder::addReading);
    connect(&engine, &SweepEngine::runStarted, m_recorder.get(), &Recorder::startRun);
    connect(&engine, &SweepEngine::runStarted, m_history,
            [this] { m_history->markRunStart(QDateTime::currentMSecsSinceEpoch()); });
    connect(m_recorder.get(), &Recorder::sweepRecorded, m_history, &SweepHistory::append);
    connect(m_recorder.get(), &Recorder::sweepRecorded, m_alarms, &AlarmWatch::addSweep);
    connect(&engine, &SweepEngine::stopped, m_alarms, [this](const StopReason &reason) {
        m_alarms->end(reason.kind == StopReason::Kind::UserStop
                          ? tr("the run stopped")
                          : tr("the run ended: %1").arg(reason.detail));
    });
    connect(m_recorder.get(), &Recorder::failed, this, &MonitorProgram::showRecordingFailure);
    connect(m_actions->showHistory, &QAction::triggered, this, &MonitorProgram::showHistory);
    connect(m_actions->saveChartImage, &QAction::triggered, this, &MonitorProgram::saveChartImage);
    connect(m_actions->resetMaxHold, &QAction::triggered, this, &MonitorProgram::resetMaxHold);
    connect(m_actions->showHelp, &QAction::triggered, this, &MonitorProgram::showHelp);
    connect(m_actions->watchRemote, &QAction::triggered, this,
            [this] { m_remoteWatches->showDialog(); });
}

bool MonitorProgram::startRecording(const QString &path)
{
    if (m_recorder->start(path, RecordFormat::Csv)) {
        return true;
    }
    report(m_recorder->lastError());
    return false;
}

// Seen whether or not the history window is open, without taking the main window's input.
void MonitorProgram::showRecordingFailure(const QString &message)
{
    report(tr("recording stopped: %1").arg(message));
    auto *box =
        new QMessageBox(QMessageBox::Warning, tr("Recording stopped"),
                        tr("Recording stopped: %1").arg(message), QMessageBox::Ok, m_window.get());
    box->setObjectName(QStringLiteral("recordingFailure"));
    box->setWindowModality(Qt::NonModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
}

void MonitorProgram::loadAlarms()
{
    const AlarmStore::Contents stored = m_alarmStore->load();
    QList<AlarmRuleEntry> rules;
    for (const AlarmRuleEntry &rule : stored.rules) {
        const alarms::ParsedRule parsed = alarms::parseRule(rule.text);
        if (parsed.rule) {
            rules.append(rule);
        } else {
            report(parsed.error);
        }
    }
    Q_UNUSED(m_alarms->setRules(rules))
    m_notifier->setEnabled(stored.notify, stored.sound);
}

void MonitorProgram::addSessionAlarms(const QStringList &rules)
{
    QList<AlarmRuleEntry> all = m_alarms->rules();
    for (const QString &text : rules) {
        all.append({text, true, true});
    }
    const QString error = m_alarms->setRules(all);
    if (!error.isEmpty()) {
        report(error);
        return;
    }
    m_sessionAlarms = m_sessionAlarms || !rules.isEmpty();
}

void MonitorProgram::saveAlarms()
{
    AlarmStore::Contents contents;
    contents.rules = m_alarms->rules();
    const auto *pane = m_historyWindow->findChild<AlarmsPane *>();
    contents.notify = pane->notifies();
    contents.sound = pane->sounds();
    QString error;
    if (!m_alarmStore->save(contents, error)) {
        report(error);
    }
}

QDockWidget *MonitorProgram::addAlarmsPane()
{
    auto *pane = new AlarmsPane(*m_alarms, m_keptAlarms);
    const AlarmStore::Contents stored = m_alarmStore->load();
    pane->setNotify(stored.notify, stored.sound);
    QDockWidget *dock = m_historyWindow->addPane(pane, tr("Alarms"), QStringLiteral("AlarmsDock"));
    // Out of the survey views' way until it has something to say.
    connect(m_alarms, &AlarmWatch::happened, dock, [dock](const AlarmEvent &event) {
        if (event.kind == AlarmEvent::Kind::Raised) {
            dock->show();
        }
    });
    connect(pane, &AlarmsPane::rulesEdited, this, &MonitorProgram::saveAlarms);
    connect(m_alarms, &AlarmWatch::happened, this, &MonitorProgram::showAlarmMarks);
    connect(m_alarms, &AlarmWatch::rulesChanged, this, &MonitorProgram::showAlarmMarks);
    showAlarmMarks();
    connect(pane, &AlarmsPane::notifyChanged, this, [this](bool notify, bool sound) {
        m_notifier->setEnabled(notify, sound);
        saveAlarms();
    });
    return dock;
}

void MonitorProgram::showAlarmMarks()
{
    alarmmarking::show(*m_alarms, *m_historyWindow);
}

void MonitorProgram::showHistory()
{
    if (m_historyWindow == nullptr) {
        m_historyWindow = std::make_unique<HistoryWindow>(*m_history, *m_statistics, *m_recorder,
                                                          *m_actions, m_chooser);
        // Closing the monitor window ends the program, whatever else is open.
        m_historyWindow->setAttribute(Qt::WA_QuitOnClose, false);
        QDockWidget *alarms = addAlarmsPane();
        m_historyWindow->keepArrangementIn(m_arrangementPath);
        if (m_sessionAlarms || !m_alarms->active().empty()) {
            alarms->show();
        }
    }
    m_historyWindow->show();
    m_historyWindow->raise();
    m_historyWindow->activateWindow();
}

void MonitorProgram::showHelp()
{
    if (m_helpWindow == nullptr) {
        m_helpWindow = std::make_unique<HelpWindow>();
        m_helpWindow->setAttribute(Qt::WA_QuitOnClose, false);
    }
    m_helpWindow->show();
    m_helpWindow->raise();
    m_helpWindow->activateWindow();
}

void MonitorProgram::resetMaxHold()
{
    m_engine->resetMaxHold();
}

void MonitorProgram::saveChartImage()
{
    QWidget *parent = QApplication::activeWindow();
    const QString path =
        m_chooser(parent != nullptr ? parent : m_window.get(), tr("Save chart image"),
                  imagefiles::proposedPath(), tr("PNG images (*.png)"));
    if (path.isEmpty()) {
        return;
    }
    const QString error = imagefiles::savePng(m_window->controls().picture1->image(), path);
    if (!error.isEmpty()) {
        QMessageBox::warning(parent != nullptr ? parent : m_window.get(), tr("Save chart image"),
                             error);
    }
}

void MonitorProgram::report(const QString &message)
{
    std::fprintf(stderr, "kvt318-monitor: %s\n", message.toLocal8Bit().constData());
    std::fflush(stderr);
}
