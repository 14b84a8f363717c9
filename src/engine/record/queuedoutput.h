#pragma once

#include "engine/protocol/reading.h"
#include "engine/record/spaceguard.h"
#include "engine/record/sweeprecord.h"

#include <QString>
#include <QtGlobal>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <variant>

class OutputFile;

// An output file written on a thread of its own behind a bounded queue, so that a slow or hung
// disk never holds up the thread that records. The writer opens the file first if it is not
// open yet (after the file's earlier writer has closed it), and syncs it at most once a second
// while rows arrive, and a second after the last one. When a write fails, or the queue is full
// because the disk does not keep up, the file is closed, the rows still queued are dropped and
// counted, and the failure is kept to be taken once; a caller that has time (a replay) may wait
// for room instead. A reopen is carried out between two rows; what the file has to tell (a pause
// for want of room) is passed on as it happens.
class QueuedOutput
{
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds kSyncInterval{1};

    // What push() does when the queue is full.
    enum class WhenFull { Fail, Wait };

    struct Failure
    {
        QString message; // "FILE: reason"
        qint64 droppedRows = 0;
    };

    // Called on the writer thread, never after abandon(): `failed` when a write fails,
    // `noticed` with what the file tells.
    QueuedOutput(std::unique_ptr<OutputFile> file, std::size_t capacity, WhenFull whenFull,
                 std::function<void()> failed,
                 std::function<void(const FileNotice &)> noticed = nullptr);
    // Abandons a writer still busy, without waiting.
    ~QueuedOutput();
    QueuedOutput(const QueuedOutput &) = delete;
    QueuedOutput &operator=(const QueuedOutput &) = delete;

    // False when the file has failed, now or before; the record is then not queued.
    bool push(const SweepRecord &sweep);
    bool push(const Reading &reading);
    // The writer ends the file and opens it again at its name after the row it is writing.
    void reopen();
    // The writer writes what is queued, ends, syncs and closes the file.
    void close();
    // Waits until the writer has closed the file or failed; false when the deadline passed.
    bool waitClosed(Clock::time_point deadline);
    // Leaves a writer that did not finish to itself; the rows it never wrote are returned.
    qint64 abandon();

    [[nodiscard]] QString name() const { return m_name; }
    [[nodiscard]] bool takesReadings() const { return m_takesReadings; }
    [[nodiscard]] qint64 rowsWritten() const;
    // Rows the file dropped for want of room.
    [[nodiscard]] qint64 rowsDropped() const;
    // Rows written before the last sync, and the syncs so far.
    [[nodiscard]] qint64 rowsSynced() const;
    [[nodiscard]] qint64 syncs() const;
    // The failure, once.
    [[nodiscard]] std::optional<Failure> takeFailure();

private:
    struct State;

    bool push(std::variant<SweepRecord, Reading> record);

    QString m_name;
    bool m_takesReadings = false;
    std::shared_ptr<State> m_state;
    std::thread m_thread;
};
