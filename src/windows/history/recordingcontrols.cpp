#include "windows/history/recordingcontrols.h"

#include "engine/record/recorder.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QStandardPaths>

RecordingControls::RecordingControls(Recorder &recorder, SavePathChooser chooser, QWidget *window)
    : QObject(window)
    , m_recorder(recorder)
    , m_chooser(std::move(chooser))
    , m_window(window)
    , m_record(new QAction(tr("&Record to CSV…"), this))
    , m_stop(new QAction(tr("S&top recording"), this))
    , m_status(new QLabel(window))
{
    m_record->setObjectName(QStringLiteral("record"));
    m_stop->setObjectName(QStringLiteral("stopRecording"));
    m_status->setObjectName(QStringLiteral("recordingStatus"));
    connect(m_record, &QAction::triggered, this, &RecordingControls::chooseFile);
    connect(m_stop, &QAction::triggered, &m_recorder, &Recorder::stop);
    connect(&m_recorder, &Recorder::started, this, &RecordingControls::showState);
    connect(&m_recorder, &Recorder::stopped, this, &RecordingControls::showState);
    connect(&m_recorder, &Recorder::failed, this, &RecordingControls::showState);
}

void RecordingControls::showState()
{
    m_record->setEnabled(!m_recorder.isRecording());
    m_stop->setEnabled(m_recorder.isRecording());
    if (m_recorder.isRecording()) {
        m_status->setText(tr("Recording to %1: %n row(s) written", nullptr,
                             static_cast<int>(m_recorder.rowsWritten()))
                              .arg(QDir::toNativeSeparators(m_recorder.path())));
    } else if (!m_recorder.lastError().isEmpty()) {
        m_status->setText(tr("Recording stopped: %1").arg(m_recorder.lastError()));
    } else {
        m_status->setText(tr("Not recording"));
    }
}

void RecordingControls::chooseFile()
{
    const QString path = m_chooser(
        m_window, tr("Record to CSV"),
        savepath::proposed(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
                           QStringLiteral("csv")),
        tr("CSV files (*.csv)"));
    if (path.isEmpty()) {
        return;
    }
    if (!m_recorder.start(path, RecordFormat::Csv)) {
        showState();
        Q_EMIT failed(m_recorder.lastError());
    }
}
