#include "programs/scan/runreport.h"

#include "engine/alarm/alarmwatch.h"
#include "engine/survey/surveyrun.h"
#include "engine/survey/sweepsource.h"
#include "programs/scan/scanoptions.h"

#include <QCoreApplication>
#include <QSaveFile>

RunReport::RunReport(const ScanOptions &options)
    : m_options(options)
{
    ReportFacts &facts = m_content.facts;
    if (options.replayPath.isEmpty()) {
        facts.port = options.port;
        facts.sampleCount = options.sampleCount;
    }
    facts.thresholdSource = options.threshold == ScanOptions{}.threshold
                                ? QCoreApplication::translate("SurveyReport", "default")
                                : QStringLiteral("--threshold");
}

RunReport::~RunReport() = default;

QString RunReport::open()
{
    m_file = std::make_unique<QSaveFile>(m_options.reportPath);
    if (!m_file->open(QIODevice::WriteOnly)) {
        return m_file->fileName() + QLatin1String(": ") + m_file->errorString();
    }
    return {};
}

void RunReport::follow(SurveyRun &run, AlarmWatch *alarms)
{
    run.addConsumer(
        {[this](const SweepRecord &sweep) { m_content.waterfall.addSweep(sweep.utcMs, sweep.dbm); },
         {},
         [this](const QString &) {
             m_content.waterfall.breakRun();
             ++m_content.facts.breaks;
         }});
    if (alarms != nullptr) {
        m_content.alarms.emplace();
        alarms->addAction(std::make_unique<ReportAlarmAction>(*m_content.alarms));
    }
}

void RunReport::setReceiver(const ReceiverIdentity &receiver)
{
    m_content.facts.receiver = receiver.name;
    m_content.facts.model = receiver.model;
    m_content.facts.firmware = receiver.firmware;
}

RunReport::Outcome RunReport::write(const SurveyRun &run)
{
    m_content.statistics = run.statistics();
    m_content.facts.mode = run.source().mode();
    m_content.facts.sweeps = m_content.waterfall.sweeps();
    if (const QString nothing = surveyreport::emptiness(m_content); !nothing.isEmpty()) {
        m_file->cancelWriting();
        return {m_options.reportPath + QLatin1String(": ") + nothing, true};
    }
    // The records' file traces the report to its data; standard output and rotated files leave
    // no one file to name. Named here, once the receiver's name has filled in the file name.
    if (!m_options.replayPath.isEmpty()) {
        m_content.facts.recording = m_options.replayPath;
    } else if (m_options.output != QLatin1String("-") && !m_options.files.rotate) {
        m_content.facts.recording = m_options.output;
    }
    if (!m_content.facts.recording.isEmpty()) {
        QString error;
        m_content.facts.sha256 = surveyreport::fileSha256(m_content.facts.recording, &error);
        if (!error.isEmpty()) {
            return {error, false};
        }
    }
    return {surveyreport::write(*m_file, m_content), false};
}
