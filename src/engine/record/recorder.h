#pragma once

#include "engine/protocol/reading.h"
#include "engine/record/filerules.h"
#include "engine/record/queuedoutput.h"
#include "engine/record/recordformat.h"
#include "engine/record/sweepassembler.h"
#include "engine/record/sweeprecord.h"

#include <QList>
#include <QObject>
#include <QString>

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

// The one recorder of the programs. It takes every reading the engine stores and every start of
// a run, gathers complete sweeps (numbered from 1 in each recording, on across reconnects) or,
// for a single channel, takes each of its readings as a record; a source that gives whole sweeps
// (a recording) hands them in as they are. It hands each record on:
// - on this thread, through sweepRecorded and readingTaken, to what keeps it in memory or
//   queues it itself (the history ring, statistics, MQTT); nothing of that touches a disk;
// - to the recording file through a bounded queue, written on a thread of its own, so that a
//   slow or hung disk never holds up the sweep. Each row is handed to the system (write(2)) as
//   the writer takes it, and the file is synced (fdatasync) at most once a second while rows
//   arrive and a second after the last: a power cut loses at most the last second of rows.
// A file that fails (a write or sync fails, or its queue is full because the disk does not keep
// up) is closed, its queued rows are dropped and counted, and failed() says so once; the
// records and the other consumers go on, and a new recording can start. A file may rotate,
// reopen at its name, and pause for want of room (its rows dropped and counted), as its rules
// say; noticed() tells of the pauses.
class Recorder : public QObject
{
    Q_OBJECT

public:
    // How long the end of the program waits for rows still queued.
    static constexpr std::chrono::seconds kShutdownLimit{2};
    // Ten minutes of the fastest real sweep (under three a second) waiting for a disk that
    // stopped answering fails its file, so the queue never grows without end.
    static constexpr std::size_t kQueuedSweeps = 10 * 60 * 3;

    struct Unwritten
    {
        QString name;
        qint64 rows = 0;
    };

    explicit Recorder(QObject *parent = nullptr);
    // Finishes within kShutdownLimit if finish() was not called.
    ~Recorder() override;
    Recorder(const Recorder &) = delete;
    Recorder &operator=(const Recorder &) = delete;

    // Only this channel index: every reading of it is a record; no sweeps.
    void setChannel(std::optional<int> index) { m_channel = index; }
    // After this many records, limitReached() and nothing more is recorded.
    void setLimit(std::optional<qint64> records) { m_limit = records; }
    // For a source that has time (a replay): the recordings started after wait for their writer
    // while its queue is full, rather than failing the file.
    void setWaitForWriter(bool wait) { m_waitForWriter = wait; }

    // A new recording to path, appended to (the header only when the file is new or empty);
    // false when it cannot be opened, with "FILE: reason" in lastError(), and the recording
    // going on goes on. When a stopped recording's writer still drains to the same file, the new
    // one opens it once that is done, and a failure to open it comes through failed().
    // A rotating file starts at the period of firstUtcMs (a recording's first sweep), or now.
    bool start(const QString &path, RecordFormat format, const WriterSettings &settings = {},
               const FileRules &rules = {}, std::optional<qint64> firstUtcMs = std::nullopt);
    // The rows already queued are still written, then the file is closed.
    void stop();
    // The file is ended and opened again at its name, between two rows (after it was moved).
    void reopen();
    // The end of the program: waits at most `limit` for every queued row, then leaves a writer
    // that has not finished to itself. Returns the files with rows that could not be written.
    // Nothing is recorded after.
    QList<Unwritten> finish(std::chrono::milliseconds limit = kShutdownLimit);

    // From the engine: every stored reading, and the start of a run (the unfinished sweep of
    // the previous run is dropped).
    void addReading(const Reading &reading);
    void startRun();
    // A complete sweep from a source that gives whole ones (a recording): recorded as an
    // assembled one, numbered on within the recording. With a single channel, that channel's
    // reading in it is recorded as addReading() would.
    void addSweep(const SweepRecord &sweep);

    [[nodiscard]] bool isRecording() const { return m_file != nullptr; }
    [[nodiscard]] QString path() const;
    // Rows of the current recording handed to the system.
    [[nodiscard]] qint64 rowsWritten() const;
    [[nodiscard]] QString lastError() const { return m_lastError; }
    // Rows that failed files dropped, or files short of room, over every recording.
    [[nodiscard]] qint64 droppedRows() const;
    // Sweeps recorded, or readings with a single channel.
    [[nodiscard]] qint64 recorded() const { return m_recorded; }
    [[nodiscard]] const std::optional<SweepRecord> &lastSweep() const { return m_lastSweep; }
    [[nodiscard]] const std::optional<Reading> &lastReading() const { return m_lastReading; }

Q_SIGNALS:
    // Every reading recorded: all of them, or the single channel's.
    void readingTaken(const Reading &reading);
    void sweepRecorded(const SweepRecord &sweep);
    void limitReached();
    void started(const QString &name);
    void stopped();
    // A file failed and was closed: "FILE: reason", with the rows dropped. Once per file.
    void failed(const QString &message);
    // The file paused for want of room, resumed, or could not delete an old rotated file.
    void noticed(const FileNotice &notice);

private:
    void recordSweep(const SweepRecord &sweep);
    void countRecord();
    void collectFailures();
    void report(QueuedOutput &file);
    // A stopped file's last word, before it goes.
    void retire(QueuedOutput &file);
    static QString describe(const QueuedOutput::Failure &failure);

    SweepAssembler m_assembler;
    std::unique_ptr<QueuedOutput> m_file;
    // Stopped files whose writers may still be at work.
    std::vector<std::unique_ptr<QueuedOutput>> m_closing;
    std::optional<int> m_channel;
    std::optional<qint64> m_limit;
    bool m_waitForWriter = false;
    qint64 m_recorded = 0;
    qint64 m_droppedRows = 0;
    bool m_limitReached = false;
    bool m_finished = false;
    QString m_lastError;
    std::optional<SweepRecord> m_lastSweep;
    std::optional<Reading> m_lastReading;
};
