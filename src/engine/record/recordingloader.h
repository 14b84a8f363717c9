#pragma once

#include "engine/record/recordingreader.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

class QThread;
class QTimer;

// Reads a recording on a thread of its own, so that a window stays responsive while a day's
// file loads, and tells how far it has got. One load at a time; a new one cancels the last.
class RecordingLoader : public QObject
{
    Q_OBJECT

public:
    explicit RecordingLoader(QObject *parent = nullptr);
    ~RecordingLoader() override;
    RecordingLoader(const RecordingLoader &) = delete;
    RecordingLoader &operator=(const RecordingLoader &) = delete;

    void load(const QString &path);
    // The load in progress ends as cancelled.
    void cancel();
    [[nodiscard]] bool isLoading() const { return m_thread != nullptr; }

Q_SIGNALS:
    // Thousandths of the file read.
    void progressed(int permille);
    // Whatever the outcome, cancelled included.
    void loaded(const QString &path, const std::shared_ptr<RecordingRead> &read);

private:
    void stopThread();

    QThread *m_thread = nullptr;
    int m_generation = 0;
    QTimer *m_progressTimer = nullptr;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    std::shared_ptr<std::atomic<int>> m_permille;
};
