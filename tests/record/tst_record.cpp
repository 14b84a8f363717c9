#include "engine/protocol/reading.h"
#include "engine/record/channelstatistics.h"
#include "engine/record/influxencoder.h"
#include "engine/record/outputfile.h"
#include "engine/record/queuedoutput.h"
#include "engine/record/recorder.h"
#include "engine/record/recordingreader.h"
#include "engine/record/rtlpowerencoder.h"
#include "engine/record/surveywarnings.h"
#include "engine/record/sweepassembler.h"

#include <QBuffer>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <array>
#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using IntPairs = QList<QPair<int, int>>;

constexpr qint64 kT0 = 1796628600123; // 2026-12-07T07:30:00.123Z

// One reading per entry, 100 ms apart: index, then dBm -60 - index; -1 starts a new run, -2
// switches to Air Monitor.
QList<Reading> readings(const QList<int> &indices)
{
    QList<Reading> list;
    qint64 t = kT0;
    RadioMode mode = RadioMode::Fsk;
    for (const int index : indices) {
        mode = index == -2 ? RadioMode::AirMonitor : mode;
        list.append(Reading{index, qint16(-60 - index), t, mode});
        t += 100;
    }
    return list;
}

QList<int> sweepOf(int first, int last)
{
    QList<int> indices;
    for (int i = first; i <= last; ++i) {
        indices.append(i);
    }
    return indices;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One complete sweep's readings, as the engine stores them.
void feedSweep(Recorder &recorder)
{
    for (int i = 0; i < 40; ++i) {
        recorder.addReading(Reading{i, qint16(-120 + i), kT0, RadioMode::Fsk});
    }
}

// A disk that stopped answering: a FIFO filled to the brim once the recording has opened it, so
// that the writer blocks in write(2) until release() drains it on a thread of its own. What the
// writers wrote is kept; the filling is empty lines.
class HeldFifo
{
public:
    static constexpr int kPollMs = 100;

    explicit HeldFifo(const QString &path)
        : m_path(path)
    {
        const QByteArray name = QFile::encodeName(path);
        if (::mkfifo(name.constData(), 0600) == 0) {
            m_reader = ::open(name.constData(), O_RDONLY | O_NONBLOCK);
        }
    }
    ~HeldFifo()
    {
        end();
        release();
        m_drain.join();
        ::close(m_reader);
    }
    HeldFifo(const HeldFifo &) = delete;
    HeldFifo &operator=(const HeldFifo &) = delete;

    [[nodiscard]] bool isReady() const { return m_reader >= 0; }
    [[nodiscard]] QString path() const { return m_path; }
    // Bytes written and not read yet.
    [[nodiscard]] int pending() const
    {
        int count = 0;
        return ::ioctl(m_reader, FIONREAD, &count) == 0 ? count : 0;
    }

    void fill()
    {
        m_filler = ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_NONBLOCK);
        const QByteArray page(4096, '\n');
        while (::write(m_filler, page.constData(), std::size_t(page.size())) > 0) {
        }
        while (::write(m_filler, "\n", 1) > 0) {
        }
    }
    void release()
    {
        if (m_drain.joinable()) {
            return;
        }
        m_drain = std::thread([this] {
            std::array<char, 4096> chunk{};
            for (;;) {
                // A FIFO no writer ever opened never says so: look again now and then.
                pollfd ready{m_reader, POLLIN, 0};
                ::poll(&ready, 1, kPollMs);
                const ssize_t count = ::read(m_reader, chunk.data(), chunk.size());
                if (count == 0) {
                    break;
                }
                const std::lock_guard lock(m_mutex);
                m_data.append(chunk.data(), std::max<qsizetype>(count, 0));
            }
            m_ended = true;
        });
    }
    // The filling's own end closes: the drain ends once the writers have closed theirs.
    void end()
    {
        if (m_filler >= 0) {
            ::close(std::exchange(m_filler, -1));
        }
    }
    [[nodiscard]] bool ended() const { return m_ended; }
    [[nodiscard]] QList<QByteArray> lines() const
    {
        const std::lock_guard lock(m_mutex);
        QList<QByteArray> lines = m_data.split('\n');
        lines.removeAll(QByteArray());
        return lines;
    }

private:
    QString m_path;
    int m_reader = -1;
    int m_filler = -1;
    std::thread m_drain;
    mutable std::mutex m_mutex;
    QByteArray m_data;
    std::atomic<bool> m_ended{false};
};

} // namespace

class TestRecord : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sweepsOnlyWhenComplete_data()
    {
        QTest::addColumn<QList<int>>("indices");
        QTest::addColumn<int>("sweeps");
        QTest::addColumn<qint64>("lastTime");
        const QList<int> full = sweepOf(0, 39);
        QTest::newRow("one sweep") << full << 1 << kT0 + 3900;
        QTest::newRow("joined mid-sweep") << sweepOf(20, 39) + full << 1 << kT0 + 5900;
        QTest::newRow("cut short") << full + sweepOf(0, 38) << 1 << kT0 + 3900;
        QTest::newRow("cursor on the last channel") << QList<int>(50, 39) << 0 << qint64(0);
        QTest::newRow("new run drops the half sweep")
            << sweepOf(0, 19) + QList<int>{-1} + sweepOf(20, 39) << 0 << qint64(0);
        QTest::newRow("two runs") << full + QList<int>{-1} + full << 2 << kT0 + 8000;
        // Levels measured in another mode are not comparable.
        QTest::newRow("mode change starts over")
            << sweepOf(0, 9) + QList<int>{-2} + sweepOf(10, 39) + full << 1 << kT0 + 8000;
    }
    void sweepsOnlyWhenComplete()
    {
        QFETCH(QList<int>, indices);
        QFETCH(int, sweeps);
        QFETCH(qint64, lastTime);
        SweepAssembler assembler;
        QSignalSpy spy(&assembler, &SweepAssembler::sweepCompleted);
        QVERIFY(spy.isValid());
        for (const Reading &reading : readings(indices)) {
            if (reading.index == -1) {
                assembler.startRun();
            } else if (reading.index >= 0) {
                assembler.addReading(reading);
            }
        }
        QCOMPARE(spy.count(), sweeps);
        if (sweeps > 0) {
            const auto last = spy.last().at(0).value<SweepRecord>();
            QCOMPARE(last.sweep, sweeps);
            QCOMPARE(last.utcMs, lastTime);
            QCOMPARE(last.dbm[0], qint16(-60));
            QCOMPARE(last.dbm[39], qint16(-99));
            QCOMPARE(last.mode, indices.contains(-2) ? RadioMode::AirMonitor : RadioMode::Fsk);
        }
    }

    // A file that fails mid-run is closed with its name and the system's reason, once; the
    // records go on to the other consumers, and a new recording starts from sweep 1.
    void failedFileLeavesTheRecordsGoing_data()
    {
        QTest::addColumn<QString>("path"); // DIR: the scratch folder; HELD: a disk that hangs
        QTest::addColumn<RecordFormat>("format");
        QTest::addColumn<bool>("removeAfterFirstRow");
        QTest::addColumn<QString>("reason");
        QTest::newRow("full disk") << "/dev/full" << RecordFormat::Jsonl << false
                                   << "/dev/full: No space left on device (rows not written: 1)";
        QTest::newRow("file removed") << "DIR/removed.csv" << RecordFormat::Csv << true
                                      << "DIR/removed.csv: No such file or directory (rows not "
                                         "written: 1)";
        QTest::newRow("no permission") << "/sys/kernel/survey.csv" << RecordFormat::Csv << false
                                       << "/sys/kernel/survey.csv: Permission denied";
        QTest::newRow("queue full")
            << "DIR/HELD" << RecordFormat::Csv << false
            << QStringLiteral("DIR/HELD: the disk does not keep up (rows not written: %1)")
                   .arg(Recorder::kQueuedSweeps + 1);
    }
    void failedFileLeavesTheRecordsGoing()
    {
        QFETCH(QString, path);
        QFETCH(RecordFormat, format);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        path.replace(QLatin1String("DIR"), dir.path());
        reason.replace(QLatin1String("DIR"), dir.path());
        std::optional<HeldFifo> fifo;
        if (path.endsWith(QLatin1String("HELD"))) {
            fifo.emplace(path);
            QVERIFY(fifo->isReady());
        }
        Recorder recorder;
        QSignalSpy failed(&recorder, &Recorder::failed);
        QSignalSpy sweeps(&recorder, &Recorder::sweepRecorded);
        if (!recorder.start(path, format)) {
            QCOMPARE(recorder.lastError(), reason);
            QVERIFY(!recorder.isRecording());
        }
        if (fifo) {
            QTRY_VERIFY(fifo->pending() > 0);
            fifo->fill();
        }
        // One more than fits beside the row being written.
        int fed = fifo ? int(Recorder::kQueuedSweeps) + 2 : 1;
        for (int n = 0; n < fed; ++n) {
            feedSweep(recorder);
        }
        if (QFETCH(bool, removeAfterFirstRow); removeAfterFirstRow) {
            QTRY_COMPARE(recorder.rowsWritten(), 1);
            QVERIFY(QFile::remove(path));
            feedSweep(recorder);
            ++fed;
        }
        if (recorder.isRecording() || failed.size() > 0) {
            QTRY_COMPARE(failed.size(), 1);
            QCOMPARE(failed.at(0).at(0).toString(), reason);
            QCOMPARE(recorder.lastError(), reason);
            QVERIFY(!recorder.isRecording());
        }
        feedSweep(recorder);
        QCOMPARE(sweeps.size(), fed + 1);
        if (fifo) {
            fifo->release();
        }

        // Stop and a new recording after the failure: the rows start again from sweep 1.
        recorder.stop();
        const QString next = dir.filePath(QStringLiteral("next.csv"));
        QVERIFY(recorder.start(next, RecordFormat::Csv));
        feedSweep(recorder);
        feedSweep(recorder);
        QVERIFY(recorder.finish().isEmpty());
        const QList<QByteArray> rows = readAll(next).split('\n');
        QCOMPARE(rows.size(), 4);
        QCOMPARE(rows[1].split(',').at(1), "1");
        QCOMPARE(rows[2].split(',').at(1), "2");
        QCOMPARE(failed.size(), path.startsWith("/sys") ? 0 : 1);
    }

    // The writer syncs a second after rows stop coming, and at most once a second while they
    // come: what was written is on the disk within a second, without a sync for every row.
    void writerSyncsOnceASecond()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("synced.csv"));
        auto file = std::make_unique<OutputFile>(path, RecordFormat::Csv);
        QVERIFY(file->open());
        QueuedOutput output(std::move(file), 10, QueuedOutput::WhenFull::Fail, nullptr);
        for (int n = 1; n <= 5; ++n) {
            QVERIFY(output.push(SweepRecord{kT0 + n, n, RadioMode::Fsk, {}}));
        }
        QTRY_COMPARE_WITH_TIMEOUT(output.rowsSynced(), 5, 10000);
        QVERIFY2(output.syncs() < 5, qPrintable(QString::number(output.syncs())));
        output.close();
        QVERIFY(output.waitClosed(QueuedOutput::Clock::now() + std::chrono::seconds(10)));
        QCOMPARE(readAll(path).count('\n'), 6);
    }

    // A caller that has time waits for room rather than failing the file: every row arrives once
    // the disk answers again.
    void waitsForRoomWhenAsked()
    {
        QTemporaryDir dir;
        HeldFifo fifo(dir.filePath(QStringLiteral("held")));
        QVERIFY(fifo.isReady());
        auto file = std::make_unique<OutputFile>(fifo.path(), RecordFormat::Csv);
        QVERIFY(file->open());
        fifo.fill();
        QueuedOutput output(std::move(file), 2, QueuedOutput::WhenFull::Wait, nullptr);
        constexpr int kRows = 50;
        std::atomic<int> pushed{0};
        std::thread source([&output, &pushed] {
            for (int n = 1; n <= kRows && output.push(SweepRecord{kT0 + n, n, RadioMode::Fsk, {}});
                 ++n) {
                ++pushed;
            }
        });
        const auto joined = qScopeGuard([&fifo, &source] {
            fifo.release();
            if (source.joinable()) {
                source.join();
            }
        });
        // The row being written and two queued; the next one waits.
        QTRY_COMPARE(pushed.load(), 3);
        fifo.release();
        source.join();
        QCOMPARE(pushed.load(), kRows);
        output.close();
        QVERIFY(output.waitClosed(QueuedOutput::Clock::now() + std::chrono::seconds(10)));
        QVERIFY(!output.takeFailure());
        fifo.end();
        QTRY_VERIFY(fifo.ended());
        QCOMPARE(fifo.lines().size(), kRows + 1);
    }

    // The end of the program waits for queued rows at most the limit, then says how many it
    // could not write; a writer that never returns does not hold it up, and closes its file
    // once its write returns.
    void shutdownIsBounded()
    {
        QTemporaryDir dir;
        HeldFifo fifo(dir.filePath(QStringLiteral("held")));
        QVERIFY(fifo.isReady());
        Recorder recorder;
        QVERIFY(recorder.start(fifo.path(), RecordFormat::Csv));
        // The writer puts the header in first.
        QTRY_VERIFY(fifo.pending() > 0);
        fifo.fill();
        for (int n = 0; n < 5; ++n) {
            feedSweep(recorder);
        }
        QCOMPARE(recorder.rowsWritten(), 0);
        QElapsedTimer clock;
        clock.start();
        const QList<Recorder::Unwritten> unwritten = recorder.finish();
        QCOMPARE(unwritten.isEmpty() ? 0 : unwritten.first().rows, qint64(5));
        const qint64 limitMs = std::chrono::milliseconds(Recorder::kShutdownLimit).count();
        QVERIFY2(clock.elapsed() < limitMs + 10000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(clock.elapsed() >= limitMs - 50);
        // The abandoned writer ends its one row, and closes the file, once the disk answers.
        fifo.release();
        fifo.end();
        QTRY_VERIFY(fifo.ended());
        QCOMPARE(fifo.lines().size(), 2);
    }

    // A disk that does not answer holds up neither the start nor the records: the header and the
    // rows follow once it answers. A recording stopped and another started to the same file at
    // once: the new writer waits until the old one has written its last row and closed the file.
    void oneFileOneWriter_data()
    {
        QTest::addColumn<QString>("secondName"); // empty: no second recording
        QTest::newRow("one recording") << "";
        QTest::newRow("same name") << "held";
        QTest::newRow("through a link") << "link";
    }
    void oneFileOneWriter()
    {
        QFETCH(QString, secondName);
        QTemporaryDir dir;
        HeldFifo fifo(dir.filePath(QStringLiteral("held")));
        QVERIFY(fifo.isReady());
        QVERIFY(QFile::link(fifo.path(), dir.filePath(QStringLiteral("link"))));
        fifo.fill();
        Recorder recorder;
        QVERIFY(recorder.start(fifo.path(), RecordFormat::Csv));
        for (int n = 0; n < 3; ++n) {
            feedSweep(recorder);
        }
        QCOMPARE(recorder.recorded(), 3);
        QList<QByteArray> expected{"sweep", "1", "2", "3"};
        if (!secondName.isEmpty()) {
            recorder.stop();
            QVERIFY(recorder.start(dir.filePath(secondName), RecordFormat::Csv));
            for (int n = 0; n < 3; ++n) {
                feedSweep(recorder);
            }
            expected += expected;
        }
        fifo.release();
        QVERIFY(recorder.finish().isEmpty());
        fifo.end();
        QTRY_VERIFY(fifo.ended());
        QList<QByteArray> sweepNumbers;
        for (const QByteArray &line : fifo.lines()) {
            sweepNumbers.append(line.split(',').at(1));
        }
        QCOMPARE(sweepNumbers, expected);
    }

    // Sweeps given whole (a replayed recording) are recorded as assembled ones: numbered on
    // within the recording, counted against the limit, handed on and written, as sweeps or as
    // readings.
    void wholeSweepsAreRecorded_data()
    {
        QTest::addColumn<RecordFormat>("format");
        QTest::newRow("csv") << RecordFormat::Csv;
        QTest::newRow("long") << RecordFormat::Long;
    }
    void wholeSweepsAreRecorded()
    {
        QFETCH(RecordFormat, format);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("replayed"));
        Recorder recorder;
        recorder.setLimit(3);
        QSignalSpy recorded(&recorder, &Recorder::sweepRecorded);
        QSignalSpy limit(&recorder, &Recorder::limitReached);
        QVERIFY(recorder.start(path, format));
        feedSweep(recorder);
        SweepRecord whole{kT0 + 1000, 77, RadioMode::AirMonitor, {}};
        whole.dbm.fill(-90);
        whole.dbm[12] = -47;
        for (int n = 0; n < 3; ++n) {
            recorder.addSweep(whole);
        }
        QCOMPARE(recorded.size(), 3);
        QCOMPARE(recorded.last().at(0).value<SweepRecord>().sweep, 3);
        QCOMPARE(limit.size(), 1);
        QCOMPARE(recorder.recorded(), 3);
        QVERIFY(recorder.finish().isEmpty());
        const RecordingRead read = RecordingReader::readFile(path);
        QCOMPARE(read.status, RecordingRead::Status::Read);
        QCOMPARE(read.recording.rows(), 3);
        QCOMPARE(read.recording.sweep(2).utcMs, whole.utcMs);
        QCOMPARE(read.recording.sweep(2).dbm, whole.dbm);
    }

    void statistics_data()
    {
        QTest::addColumn<QList<int>>("levels"); // one reading a second; 0: a reconnect
        QTest::addColumn<QByteArray>("row");
        const auto row = [](const char *name, const QList<int> &levels, const char *expected) {
            QTest::newRow(name) << levels << QByteArray(expected);
        };
        row("no readings", {}, "7,429.2500,0,,,,0.0,0,0.000,,,");
        row("quiet", {-120, -110, -100}, "7,429.2500,3,-120,-110.0,-100,0.0,0,0.000,,-110,-100");
        row("two bursts, the longer one ended", {-90, -120, -80, -70, -60, -120, -110},
            "7,429.2500,7,-120,-92.9,-60,57.1,2,3.000,2026-12-07T07:30:04.123Z,-90,-60");
        row("burst lasting to the end", {-120, -99, -99},
            "7,429.2500,3,-120,-106.0,-99,66.7,1,1.000,2026-12-07T07:30:02.123Z,-99,-99");
        row("reconnect ends a burst", {-90, -90, 0, -90, -120},
            "7,429.2500,4,-120,-97.5,-90,75.0,2,1.000,2026-12-07T07:30:02.123Z,-90,-90");
        // Median: the 5th of ten; p90: the 9th, not the 10th.
        row("median and p90 of ten", {-91, -97, -50, -96, -97, -95, -94, -97, -93, -92},
            "7,429.2500,10,-97,-90.2,-50,100.0,1,9.000,2026-12-07T07:30:09.123Z,-95,-91");
        row("levels beyond the histogram", {-200, -180, 12},
            "7,429.2500,3,-200,-122.7,12,33.3,1,0.000,2026-12-07T07:30:02.123Z,-150,0");
    }
    void statistics()
    {
        QFETCH(QList<int>, levels);
        QFETCH(QByteArray, row);
        ChannelStatistics statistics;
        qint64 t = kT0;
        for (const int dbm : levels) {
            if (dbm == 0) {
                statistics.breakBursts();
                continue;
            }
            statistics.addReading(Reading{0, qint16(dbm), t, RadioMode::Fsk});
            t += 1000;
        }
        QBuffer buffer;
        QVERIFY(buffer.open(QIODevice::WriteOnly));
        QVERIFY(record::writeSummaryCsv(buffer, statistics));
        const QList<QByteArray> lines = buffer.data().split('\n');
        QCOMPARE(lines.size(), 42);
        QCOMPARE(lines[0], QByteArray("channel,mhz,samples,min,mean,max,occupancy_pct,bursts,"
                                      "longest_burst_s,last_above,median,p90,occupancy_low_pct,"
                                      "occupancy_high_pct,effective_samples,busy_hour,"
                                      "busy_hour_occupancy_pct"));
        QCOMPARE(lines[1].split(',').mid(0, 12).join(','), row);
        QCOMPARE(lines[40], QByteArray("46,429.7375,0,,,,0.0,0,0.000,,,,,,,,"));
    }

    void quietestRanking()
    {
        ChannelStatistics statistics(-100);
        const QList<QPair<int, QList<int>>> channels = {
            {3, {-90, -120}}, {5, {-101, -101}}, {8, {-130, -125}}, {9, {-50, -60}}};
        // Occupancy first: 5 is louder on average than 3 but never above the threshold.
        for (const auto &[index, levels] : channels) {
            for (const int dbm : levels) {
                statistics.addReading(Reading{index, qint16(dbm), kT0, RadioMode::Fsk});
            }
        }
        QCOMPARE(statistics.quietest(3), (std::vector<int>{8, 5, 3}));
        QCOMPARE(statistics.quietest(10), (std::vector<int>{8, 5, 3, 9}));
        statistics.setThreshold(-55);
        QCOMPARE(statistics.channel(9).occupancyPct, 0.0);
        QCOMPARE(statistics.channel(9).samples, 2);
    }

    // Hand-worked: no readings busy, all busy and half of ten, z = 1.959964.
    void wilsonInterval_data()
    {
        QTest::addColumn<double>("busy");
        QTest::addColumn<double>("trials");
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::newRow("none busy of 10") << 0.0 << 10.0 << 0.0 << 0.277533;
        QTest::newRow("all 10 busy") << 10.0 << 10.0 << 0.722467 << 1.0;
        QTest::newRow("5 of 10") << 5.0 << 10.0 << 0.236593 << 0.763407;
        QTest::newRow("1 of 3") << 1.0 << 3.0 << 0.061492 << 0.792340;
        QTest::newRow("fractional: 2.5 of 12.5") << 2.5 << 12.5 << 0.064160 << 0.476884;
        QTest::newRow("no trials") << 0.0 << 0.0 << 0.0 << 1.0;
    }
    void wilsonInterval()
    {
        QFETCH(double, busy);
        QFETCH(double, trials);
        QFETCH(double, low);
        QFETCH(double, high);
        const ProportionInterval interval = ::wilsonInterval(busy, trials);
        QVERIFY2(qAbs(interval.low - low) < 1e-5, qPrintable(QString::number(interval.low)));
        QVERIFY2(qAbs(interval.high - high) < 1e-5, qPrintable(QString::number(interval.high)));
    }

    // Three readings a second of a carrier on for 60 s and off for 60 s, against readings that
    // are busy at random: the carrier's neighbours are alike, so it is worth far fewer readings.
    void effectiveSamples_data()
    {
        QTest::addColumn<bool>("carrier");
        QTest::newRow("carrier 60 s on, 60 s off") << true;
        QTest::newRow("independent readings") << false;
    }
    void effectiveSamples()
    {
        QFETCH(bool, carrier);
        constexpr int kReadings = 3 * 3600 * 2; // two hours
        ChannelStatistics statistics(-100);
        std::mt19937 random(7);
        std::bernoulli_distribution busy(0.5);
        for (int n = 0; n < kReadings; ++n) {
            const qint64 ms = n * 1000LL / 3;
            const bool on = carrier ? (ms / 60000) % 2 == 0 : busy(random);
            statistics.addReading(Reading{0, qint16(on ? -60 : -120), kT0 + ms, RadioMode::Fsk});
        }
        const ChannelSummary summary = statistics.channel(0);
        QCOMPARE(summary.hourSamples, kReadings);
        QVERIFY(qAbs(summary.occupancyPct - 50.0) < 2.0);
        QVERIFY(summary.occupancyLowPct < 50.0 && 50.0 < summary.occupancyHighPct);
        const ProportionInterval independent =
            ::wilsonInterval(summary.occupancyPct / 100.0 * kReadings, kReadings);
        const double independentWidth = 100.0 * (independent.high - independent.low);
        const double width = summary.occupancyHighPct - summary.occupancyLowPct;
        if (carrier) {
            // 180 readings a state: r = 1 - 2/180, n (1 - r) / (1 + r) = n / 179.
            QVERIFY2(summary.effectiveSamples < kReadings / 100.0,
                     qPrintable(QString::number(summary.effectiveSamples)));
            QVERIFY(width > 5 * independentWidth);
        } else {
            QVERIFY2(summary.effectiveSamples > 0.9 * kReadings,
                     qPrintable(QString::number(summary.effectiveSamples)));
            QVERIFY(width < 1.1 * independentWidth);
        }
    }

    // The floor's median against a sort of the readings it holds: the last ten minutes, at most
    // its capacity, while the level drifts so that the median travels across the histogram.
    void noiseFloorMedian_data()
    {
        QTest::addColumn<int>("stepMs");
        QTest::addColumn<int>("drift"); // dB over the whole run
        QTest::newRow("steady, a reading a second") << 1000 << 0;
        QTest::newRow("rising 40 dB") << 1000 << 40;
        QTest::newRow("falling, the ring full") << 50 << -30;
    }
    void noiseFloorMedian()
    {
        QFETCH(int, stepMs);
        QFETCH(int, drift);
        NoiseFloor floor;
        std::deque<std::pair<qint64, int>> held;
        std::mt19937 random(3);
        std::uniform_int_distribution<int> noise(-4, 4);
        for (int n = 0; n < 6000; ++n) {
            const qint64 t = kT0 + qint64(n) * stepMs;
            const auto dbm = qint16(-100 + drift * n / 6000 + noise(random));
            floor.add(t, dbm);
            held.emplace_back(t, dbm);
            while (held.size() > NoiseFloor::kCapacity ||
                   held.front().first <= t - NoiseFloor::kSpan.count()) {
                held.pop_front();
            }
            std::vector<int> sorted;
            for (const auto &reading : held) {
                sorted.push_back(reading.second);
            }
            std::sort(sorted.begin(), sorted.end());
            const std::size_t middle = sorted.size() / 2;
            const double median = sorted.size() % 2 == 1
                                      ? sorted[middle]
                                      : (sorted[middle - 1] + sorted[middle]) / 2.0;
            QCOMPARE(floor.size(), held.size());
            QCOMPARE(floor.median(), median);
        }
    }

    // Sweeps every 30 s for a length of survey; the kinds of warning that come, in order.
    void surveyWarnings_data()
    {
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QString>("hours");
        QTest::addColumn<bool>("blips"); // one-reading bursts on channel 12
        QTest::addColumn<QList<int>>("kinds");
        QTest::addColumn<int>("lines");
        using K = SurveyWarning::Kind;
        const int shortSurvey = int(K::ShortSurvey);
        const int few = int(K::FewReadings);
        const int slow = int(K::SlowRevisit);
        // From 07:30 UTC: 06:00-07:00 and 07:00-08:00 local are each seen for half an hour.
        QTest::newRow("a day and an hour") << 25 * 60 << "" << false << QList<int>{} << 0;
        QTest::newRow("23 hours: two hours of the day seen for half an hour")
            << 23 * 60 << "" << false << QList<int>{shortSurvey, few, few} << 2;
        QTest::newRow("23 hours, hours asked that it saw whole")
            << 23 * 60 << "09:00-18:00" << false << QList<int>{shortSurvey} << 1;
        QTest::newRow("a day and an hour, one-reading bursts")
            << 25 * 60 << "" << true << QList<int>{slow} << 1;
        // Channel 12 alone, from 07:30 UTC: 06:00-08:00 local are each seen for half an hour.
        QTest::newRow("23 hours of one channel")
            << 23 * 60 << "one" << false << QList<int>{shortSurvey, few, few} << 2;
    }
    void surveyWarnings()
    {
        QFETCH(int, minutes);
        QFETCH(QString, hours);
        QFETCH(bool, blips);
        QFETCH(QList<int>, kinds);
        QFETCH(int, lines);
        QString error;
        const bool oneChannel = hours == QLatin1String("one");
        ChannelStatistics statistics(OccupancyThreshold{},
                                     *HourWindows::parse(oneChannel ? QString() : hours, &error));
        SweepRecord sweep;
        for (qint64 n = 0; n * 30 <= minutes * 60; ++n) {
            sweep.utcMs = kT0 + n * 30000;
            sweep.dbm.fill(-120);
            sweep.dbm[5] = blips && n % 10 == 0 ? -60 : -120;
            if (oneChannel) {
                statistics.addReading({5, -120, sweep.utcMs});
            } else {
                statistics.addSweep(sweep);
            }
        }
        const std::vector<SurveyWarning> warnings = ::surveyWarnings(statistics);
        QList<int> seen;
        for (const SurveyWarning &warning : warnings) {
            seen.append(int(warning.kind));
            QVERIFY(!warningText(warning).isEmpty());
        }
        QCOMPARE(seen, kinds);
        QCOMPARE(warningLines(warnings).size(), lines);
        QVERIFY(!oneChannel || warningLines(warnings).constLast().contains(
                                   QLatin1String("channel 12 at 06:00-08:00 (60)")));
    }

    void rtlPower_data()
    {
        QTest::addColumn<int>("intervalS");
        QTest::addColumn<IntPairs>("sweeps");        // ms after kT0, level of every channel
        QTest::addColumn<QList<QByteArray>>("rows"); // time, samples, level
        QTest::newRow("three sweeps in power, then one")
            << 1 << IntPairs{{0, -60}, {400, -70}, {800, -80}, {1200, -90}}
            << QList<QByteArray>{"07:30:00, 3, -64.32", "07:30:01, 1, -90.00"};
        QTest::newRow("an interval without sweeps has no row")
            << 2 << IntPairs{{0, -50}, {1800, -50}, {4100, -40}}
            << QList<QByteArray>{"07:30:00, 2, -50.00", "07:30:04, 1, -40.00"};
    }
    void rtlPower()
    {
        QFETCH(int, intervalS);
        QFETCH(IntPairs, sweeps);
        QFETCH(QList<QByteArray>, rows);
        RtlPowerEncoder encoder(std::chrono::seconds(intervalS), QTimeZone::utc());
        QByteArray written;
        for (const auto &[offsetMs, dbm] : sweeps) {
            SweepRecord sweep{kT0 + offsetMs, 1, RadioMode::AirMonitor, {}};
            sweep.dbm.fill(qint16(dbm));
            written += encoder.sweep(sweep);
        }
        written += encoder.end();
        QByteArray expected;
        for (const QByteArray &row : rows) {
            const QList<QByteArray> fields = row.split(',');
            expected += "2026-12-07, " + fields[0] + ", 429250000, 429750000, 12500.00," +
                        fields[1] + QByteArray("," + fields[2]).repeated(40) + '\n';
        }
        QCOMPARE(written, expected);
    }

    void influx()
    {
        InfluxEncoder encoder(QStringLiteral("ttyUSB0"), {{"site", "North Hill"}});
        QByteArray written = encoder.reading(Reading{23, -72, kT0, RadioMode::Fsk});
        QVERIFY(written.isEmpty());
        written += encoder.reading(Reading{0, -72, kT0, RadioMode::Fsk});
        QCOMPARE(written, QByteArray("kvt318,port=ttyUSB0,channel=30,site=North\\ Hill "
                                     "dbm=-72i,mhz=429.5375 1796628600123000000\n"));
    }
};

QTEST_MAIN(TestRecord)
#include "tst_record.moc"
