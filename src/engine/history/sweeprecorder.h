#pragma once

#include "engine/record/sweeprecord.h"

#include <QObject>
#include <QString>
#include <QThread>

#include <atomic>
#include <memory>

class RecordFile;

// Records complete sweeps to a CSV file from the window. The file is written on a thread of
// its own, so a slow or stuck disk never holds up the sweep; a failed write ends the recording
// with the file's name and the system's reason, and the rows written before it stay.
class SweepRecorder : public QObject
{
    Q_OBJECT

public:
    // A disk that stops answering must not make the queue grow without end: ten minutes of
    // the fastest sweep waiting ends the recording.
    static constexpr int kMaxQueued = 10 * 60 * 3;

    explicit SweepRecorder(QObject *parent = nullptr);
    ~SweepRecorder() override;
    SweepRecorder(const SweepRecorder &) = delete;
    SweepRecorder &operator=(const SweepRecorder &) = delete;

    // Appends to path (the header only when the file is new or empty); false when it can't be
    // opened, with the reason in lastError().
    bool start(const QString &path);
    // Writes what is already queued, then closes the file.
    void stop();
    // Queues one sweep; rows are numbered from 1 within a recording.
    void record(const SweepRecord &sweep);

    [[nodiscard]] bool isRecording() const { return m_recording; }
    [[nodiscard]] QString path() const { return m_path; }
    [[nodiscard]] qint64 rowsWritten() const { return m_rowsWritten.load(); }
    [[nodiscard]] QString lastError() const { return m_lastError; }

Q_SIGNALS:
    void started(const QString &path);
    void stopped();
    // A write failed and the recording ended.
    void failed(const QString &message);

private:
    // Runs on the writer thread.
    void write(const SweepRecord &sweep, int recording);
    void reportFailure(const QString &message, int recording);

    QThread m_thread;
    QObject *m_writerContext = nullptr; // lives on m_thread
    std::unique_ptr<RecordFile> m_file; // touched on m_thread only
    std::atomic<qint64> m_rowsWritten{0};
    std::atomic<int> m_queued{0}; // sweeps handed to the thread and not yet written
    int m_recordingId = 0;
    bool m_recording = false;
    QString m_path;
    QString m_lastError;
};
