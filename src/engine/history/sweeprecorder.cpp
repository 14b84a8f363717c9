#include "engine/history/sweeprecorder.h"

#include "engine/record/recordfile.h"

SweepRecorder::SweepRecorder(QObject *parent)
    : QObject(parent)
    , m_writerContext(new QObject)
{
    m_thread.setObjectName(QStringLiteral("SweepRecorder"));
    m_writerContext->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_writerContext, &QObject::deleteLater);
    m_thread.start();
}

SweepRecorder::~SweepRecorder()
{
    stop();
    // Queued after every write, so the thread ends once they are done.
    QMetaObject::invokeMethod(m_writerContext, [this] { m_thread.quit(); });
    m_thread.wait();
}

bool SweepRecorder::start(const QString &path)
{
    stop();
    bool opened = false;
    QString error;
    QMetaObject::invokeMethod(
        m_writerContext,
        [this, path, &opened, &error] {
            m_file = std::make_unique<RecordFile>(path, RecordFormat::Csv);
            opened = m_file->open();
            if (!opened) {
                error = m_file->errorString();
                m_file.reset();
            }
        },
        Qt::BlockingQueuedConnection);
    if (!opened) {
        m_lastError = error;
        return false;
    }
    ++m_recordingId;
    m_rowsWritten = 0;
    m_recording = true;
    m_path = path;
    m_lastError.clear();
    Q_EMIT started(path);
    return true;
}

void SweepRecorder::stop()
{
    if (!m_recording) {
        return;
    }
    m_recording = false;
    QMetaObject::invokeMethod(m_writerContext, [this] { m_file.reset(); });
    Q_EMIT stopped();
}

void SweepRecorder::record(const SweepRecord &sweep)
{
    if (!m_recording) {
        return;
    }
    const int recording = m_recordingId;
    if (m_queued.load() >= kMaxQueued) {
        reportFailure(m_path + QLatin1String(": ") + tr("the disk does not keep up"), recording);
        return;
    }
    ++m_queued;
    QMetaObject::invokeMethod(m_writerContext, [this, sweep, recording] {
        write(sweep, recording);
        --m_queued;
    });
}

void SweepRecorder::write(const SweepRecord &sweep, int recording)
{
    if (!m_file) {
        return;
    }
    SweepRecord numbered = sweep;
    numbered.sweep = m_rowsWritten.load() + 1;
    if (!m_file->writeSweep(numbered)) {
        const QString message = m_file->errorString();
        m_file.reset();
        QMetaObject::invokeMethod(
            this, [this, message, recording] { reportFailure(message, recording); });
        return;
    }
    ++m_rowsWritten;
}

void SweepRecorder::reportFailure(const QString &message, int recording)
{
    // A failure of a recording already stopped or replaced is old news.
    if (recording != m_recordingId || !m_recording) {
        return;
    }
    m_recording = false;
    m_lastError = message;
    Q_EMIT failed(message);
}
