#include "programs/monitor/historycontroller.h"

#include "engine/alarm/alarmwatch.h"
#include "engine/history/historystatistics.h"
#include "engine/history/sweephistory.h"
#include "engine/protocol/sweepengine.h"
#include "engine/record/recorder.h"
#include "programs/monitor/alarmnotifier.h"
#include "programs/monitor/alarmstore.h"
#include "windows/history/alarmspane.h"
#include "windows/history/helpwindow.h"
#include "windows/history/historywindow.h"
#include "windows/history/imagefiles.h"
#include "windows/history/monitoractions.h"
#include "windows/history/occupancyview.h"
#include "windows/history/waterfallview.h"
#include "windows/main/mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDockWidget>
#include <QMessageBox>

#include <cstdio>

HistoryController::HistoryController(MainWindow &window, QObject *parent,
                                     const QString &alarmStorePath)
    : QObject(parent)
    , m_window(window)
    , m_chooser(savepath::fileDialog())
    , m_actions(new MonitorActions(this))
    , m_history(new SweepHistory(SweepHistory::kFourHourRows, this))
    , m_statistics(new HistoryStatistics(*m_history, this))
    , m_recorder(std::make_unique<Recorder>())
    , m_alarms(new AlarmWatch(this))
    , m_alarmStore(alarmStorePath.isEmpty() ? std::make_unique<AlarmStore>()
                                            : std::make_unique<AlarmStore>(alarmStorePath))
{
    m_actions->attachTo(&window);
    auto notifier = std::make_unique<AlarmNotifier>();
    m_notifier = notifier.get();
    m_alarms->addAction(std::move(notifier));
    loadAlarms();
    connectHandlers();
}

HistoryController::~HistoryController()
{
    m_historyWindow.reset();
    for (const Recorder::Unwritten &file : m_recorder->finish()) {
        report(tr("%1: rows not written: %2").arg(file.name).arg(file.rows));
    }
}

void HistoryController::connectHandlers()
{
    SweepEngine &engine = m_window.engine();
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
    connect(m_recorder.get(), &Recorder::failed, this, &HistoryController::showRecordingFailure);
    connect(m_actions->showHistory, &QAction::triggered, this, &HistoryController::showHistory);
    connect(m_actions->saveChartImage, &QAction::triggered, this,
            &HistoryController::saveChartImage);
    connect(m_actions->resetMaxHold, &QAction::triggered, this, &HistoryController::resetMaxHold);
    connect(m_actions->showHelp, &QAction::triggered, this, &HistoryController::showHelp);
}

bool HistoryController::startRecording(const QString &path)
{
    if (m_recorder->start(path, RecordFormat::Csv)) {
        return true;
    }
    report(m_recorder->lastError());
    return false;
}

// Seen whether or not the history window is open, without taking the main window's input.
void HistoryController::showRecordingFailure(const QString &message)
{
    report(tr("recording stopped: %1").arg(message));
    auto *box =
        new QMessageBox(QMessageBox::Warning, tr("Recording stopped"),
                        tr("Recording stopped: %1").arg(message), QMessageBox::Ok, &m_window);
    box->setObjectName(QStringLiteral("recordingFailure"));
    box->setWindowModality(Qt::NonModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
}

void HistoryController::loadAlarms()
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

void HistoryController::addSessionAlarms(const QStringList &rules)
{
    QList<AlarmRuleEntry> all = m_alarms->rules();
    for (const QString &text : rules) {
        all.append({text, true, true});
    }
    const QString error = m_alarms->setRules(all);
    if (!error.isEmpty()) {
        report(error);
    }
}

void HistoryController::saveAlarms()
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

void HistoryController::addAlarmsPane()
{
    auto *pane = new AlarmsPane(*m_alarms);
    const AlarmStore::Contents stored = m_alarmStore->load();
    pane->setNotify(stored.notify, stored.sound);
    auto *dock = new QDockWidget(tr("Alarms"), m_historyWindow.get());
    dock->setObjectName(QStringLiteral("AlarmsDock"));
    dock->setWidget(pane);
    m_historyWindow->addDockWidget(Qt::RightDockWidgetArea, dock);
    connect(pane, &AlarmsPane::rulesEdited, this, &HistoryController::saveAlarms);
    connect(m_alarms, &AlarmWatch::happened, this, &HistoryController::showAlarmMarks);
    connect(m_alarms, &AlarmWatch::rulesChanged, this, &HistoryController::showAlarmMarks);
    showAlarmMarks();
    connect(pane, &AlarmsPane::notifyChanged, this, [this](bool notify, bool sound) {
        m_notifier->setEnabled(notify, sound);
        saveAlarms();
    });
}

void HistoryController::showAlarmMarks()
{
    QList<int> raised;
    for (const AlarmEngine::Active &alarm : m_alarms->active()) {
        raised.append(alarm.index);
    }
    QSet<qint64> times;
    for (const AlarmEvent &event : m_alarms->events()) {
        if (event.kind == AlarmEvent::Kind::Raised) {
            times.insert(event.utcMs);
        }
    }
    m_historyWindow->findChild<OccupancyView *>()->setRaised(raised);
    m_historyWindow->findChild<WaterfallView *>()->setAlarmTimes(times);
}

void HistoryController::showHistory()
{
    if (m_historyWindow == nullptr) {
        m_historyWindow = std::make_unique<HistoryWindow>(*m_history, *m_statistics, *m_recorder,
                                                          *m_actions, m_chooser);
        // Closing the monitor window ends the program, whatever else is open.
        m_historyWindow->setAttribute(Qt::WA_QuitOnClose, false);
        addAlarmsPane();
    }
    m_historyWindow->show();
    m_historyWindow->raise();
    m_historyWindow->activateWindow();
}

void HistoryController::showHelp()
{
    if (m_helpWindow == nullptr) {
        m_helpWindow = std::make_unique<HelpWindow>();
        m_helpWindow->setAttribute(Qt::WA_QuitOnClose, false);
    }
    m_helpWindow->show();
    m_helpWindow->raise();
    m_helpWindow->activateWindow();
}

void HistoryController::resetMaxHold()
{
    m_window.engine().resetMaxHold();
}

void HistoryController::saveChartImage()
{
    QWidget *parent = QApplication::activeWindow();
    const QString path = m_chooser(parent != nullptr ? parent : &m_window, tr("Save chart image"),
                                   imagefiles::proposedPath(), tr("PNG images (*.png)"));
    if (path.isEmpty()) {
        return;
    }
    const QString error = imagefiles::savePng(m_window.controls().picture1->image(), path);
    if (!error.isEmpty()) {
        QMessageBox::warning(parent != nullptr ? parent : &m_window, tr("Save chart image"), error);
    }
}

void HistoryController::report(const QString &message)
{
    std::fprintf(stderr, "kvt318-monitor: %s\n", message.toLocal8Bit().constData());
    std::fflush(stderr);
}
