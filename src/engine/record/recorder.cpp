#include "engine/record/recorder.h"

#include "engine/record/outputfile.h"

#include <algorithm>

Recorder::Recorder(QObject *parent)
    : QObject(parent)
{
    connect(&m_assembler, &SweepAssembler::sweepCompleted, this, &Recorder::recordSweep);
}

Recorder::~Recorder()
{
    finish();
}

bool Recorder::start(const QString &path, RecordFormat format, const WriterSettings &settings,
                     const FileRules &rules, std::optional<qint64> firstUtcMs)
{
    auto file = std::make_unique<OutputFile>(path, format, settings, rules);
    if (firstUtcMs) {
        file->startAt(*firstUtcMs);
    }
    // Opened here, so that a file that cannot be opened is told at once, unless a stopped
    // recording's writer still drains to it: the new writer opens it after that one. The header
    // is the writer's, so that a slow disk never holds up this thread.
    if (file->mayOpenNow() && !file->openAhead()) {
        m_lastError = file->errorString();
        return false;
    }
    stop();
    const QString name = file->displayName();
    const std::size_t capacity =
        kQueuedSweeps * (file->takesReadings() ? MonitorState::kChannelCount : 1);
    // The writer's failure and notices are looked at here, on this thread; the calls are
    // dropped with this object, and the file never calls once abandoned.
    m_file = std::make_unique<QueuedOutput>(
        std::move(file), capacity,
        m_waitForWriter ? QueuedOutput::WhenFull::Wait : QueuedOutput::WhenFull::Fail,
        [this] {
            QMetaObject::invokeMethod(this, &Recorder::collectFailures, Qt::QueuedConnection);
        },
        [this](const FileNotice &notice) {
            QMetaObject::invokeMethod(
                this, [this, notice] { Q_EMIT noticed(notice); }, Qt::QueuedConnection);
        });
    m_assembler.restartNumbering();
    m_lastError.clear();
    Q_EMIT started(name);
    return true;
}

void Recorder::stop()
{
    // Writers that are done have nothing more to say.
    const auto closed = [this](std::unique_ptr<QueuedOutput> &file) {
        if (!file->waitClosed(QueuedOutput::Clock::now())) {
            return false;
        }
        retire(*file);
        return true;
    };
    m_closing.erase(std::remove_if(m_closing.begin(), m_closing.end(), closed), m_closing.end());
    if (!m_file) {
        return;
    }
    m_file->close();
    m_closing.push_back(std::move(m_file));
    Q_EMIT stopped();
}

void Recorder::reopen()
{
    if (m_file) {
        m_file->reopen();
    }
}

QList<Recorder::Unwritten> Recorder::finish(std::chrono::milliseconds limit)
{
    if (m_finished) {
        return {};
    }
    m_finished = true;
    stop();
    const auto deadline = QueuedOutput::Clock::now() + limit;
    QList<Unwritten> unwritten;
    for (const std::unique_ptr<QueuedOutput> &file : m_closing) {
        if (!file->waitClosed(deadline)) {
            if (const qint64 rows = file->abandon(); rows > 0) {
                unwritten.append(Unwritten{file->name(), rows});
            }
        }
        retire(*file);
    }
    m_closing.clear();
    return unwritten;
}

void Recorder::addReading(const Reading &reading)
{
    if (m_finished || m_limitReached || (m_channel && reading.index != *m_channel)) {
        return;
    }
    m_lastReading = reading;
    Q_EMIT readingTaken(reading);
    if (m_file && m_file->takesReadings() && !m_file->push(reading)) {
        collectFailures();
    }
    if (m_channel) {
        countRecord();
    } else {
        m_assembler.addReading(reading);
    }
}

void Recorder::startRun()
{
    m_assembler.startRun();
}

void Recorder::addSweep(const SweepRecord &sweep)
{
    if (m_finished || m_limitReached) {
        return;
    }
    if (m_channel) {
        addReading(Reading{*m_channel, sweep.dbm[static_cast<std::size_t>(*m_channel)], sweep.utcMs,
                           sweep.mode});
        return;
    }
    if (m_file && m_file->takesReadings()) {
        for (int index = 0; index < MonitorState::kChannelCount; ++index) {
            const Reading reading{index, sweep.dbm[static_cast<std::size_t>(index)], sweep.utcMs,
                                  sweep.mode};
            if (!m_file->push(reading)) {
                collectFailures();
                break;
            }
        }
    }
    recordSweep(m_assembler.numbered(sweep));
}

QString Recorder::path() const
{
    return m_file ? m_file->name() : QString();
}

qint64 Recorder::droppedRows() const
{
    qint64 dropped = m_droppedRows + (m_file ? m_file->rowsDropped() : 0);
    for (const std::unique_ptr<QueuedOutput> &file : m_closing) {
        dropped += file->rowsDropped();
    }
    return dropped;
}

qint64 Recorder::rowsWritten() const
{
    return m_file ? m_file->rowsWritten() : 0;
}

void Recorder::recordSweep(const SweepRecord &sweep)
{
    m_lastSweep = sweep;
    Q_EMIT sweepRecorded(sweep);
    if (m_file && !m_file->takesReadings() && !m_file->push(sweep)) {
        collectFailures();
    }
    countRecord();
}

void Recorder::countRecord()
{
    ++m_recorded;
    if (m_limit && m_recorded >= *m_limit) {
        m_limitReached = true;
        Q_EMIT limitReached();
    }
}

void Recorder::collectFailures()
{
    if (m_file) {
        if (std::optional<QueuedOutput::Failure> failure = m_file->takeFailure()) {
            m_droppedRows += failure->droppedRows;
            m_lastError = describe(*failure);
            m_closing.push_back(std::move(m_file));
            Q_EMIT failed(m_lastError);
        }
    }
    for (const std::unique_ptr<QueuedOutput> &file : m_closing) {
        report(*file);
    }
}

void Recorder::report(QueuedOutput &file)
{
    if (std::optional<QueuedOutput::Failure> failure = file.takeFailure()) {
        m_droppedRows += failure->droppedRows;
        Q_EMIT failed(describe(*failure));
    }
}

void Recorder::retire(QueuedOutput &file)
{
    report(file);
    m_droppedRows += file.rowsDropped();
}

QString Recorder::describe(const QueuedOutput::Failure &failure)
{
    return failure.droppedRows > 0
               ? tr("%1 (rows not written: %2)").arg(failure.message).arg(failure.droppedRows)
               : failure.message;
}
