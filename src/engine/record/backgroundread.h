#pragma once

#include "engine/record/recordingreader.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>

class QThread;
class QTimer;

// Reads a file on a thread of its own, so that a window stays responsive while a day's
// recording is read, and tells how far it has got. One read at a time; a new one cancels the
// last.
class BackgroundRead : public QObject
{
    Q_OBJECT

public:
    // Reads, calling progress now and then; gives up when progress returns false.
    using Work = std::function<void(const RecordingReader::Progress &progress)>;

    explicit BackgroundRead(QObject *parent = nullptr);
    ~BackgroundRead() override;
    BackgroundRead(const BackgroundRead &) = delete;
    BackgroundRead &operator=(const BackgroundRead &) = delete;

    // done runs on this object's thread once work has returned, cancelled or not, unless a
    // newer read has taken its place.
    void start(Work work, std::function<void()> done);
    // The read in progress ends as cancelled.
    void cancel();
    [[nodiscard]] bool isRunning() const { return m_thread != nullptr; }

Q_SIGNALS:
    void started();
    // Thousandths of the file read.
    void progressed(int permille);
    // Whatever the outcome, before done runs.
    void ended();

private:
    void stopThread();

    QThread *m_thread = nullptr;
    int m_generation = 0;
    QTimer *m_progressTimer = nullptr;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    std::shared_ptr<std::atomic<int>> m_permille;
};
