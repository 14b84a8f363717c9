#include "engine/protocol/reading.h"
#include "engine/record/channelstatistics.h"
#include "engine/record/influxlinewriter.h"
#include "engine/record/recorder.h"
#include "engine/record/recordsink.h"
#include "engine/record/rtlpowerwriter.h"
#include "engine/record/sweepassembler.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QtTest>

#include <condition_variable>
#include <memory>
#include <mutex>

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

// A scripted disk: each write waits until the gate opens, which may be never. Shared, as an
// abandoned writer keeps its sink until its write returns.
struct Gate
{
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    qint64 rows = 0;
    qint64 syncs = 0;
    qint64 syncedRows = 0;
    qint64 closed = 0;

    void release()
    {
        const std::lock_guard lock(mutex);
        open = true;
        changed.notify_all();
    }
    qint64 read(qint64 Gate::*field)
    {
        const std::lock_guard lock(mutex);
        return this->*field;
    }
};

class BlockedSink : public RecordSink
{
public:
    explicit BlockedSink(std::shared_ptr<Gate> gate)
        : m_gate(std::move(gate))
    {}
    ~BlockedSink() override
    {
        const std::lock_guard lock(m_gate->mutex);
        m_gate->closed = 1;
    }
    bool writeSweep(const SweepRecord &) override
    {
        std::unique_lock lock(m_gate->mutex);
        m_gate->changed.wait(lock, [this] { return m_gate->open; });
        ++m_gate->rows;
        return true;
    }
    bool sync() override
    {
        const std::lock_guard lock(m_gate->mutex);
        m_gate->syncedRows = m_gate->rows;
        ++m_gate->syncs;
        return true;
    }
    [[nodiscard]] QString errorString() const override { return {}; }

private:
    std::shared_ptr<Gate> m_gate;
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
        QTest::addColumn<QString>("path"); // DIR: the scratch folder; BLOCKED: a writer stuck
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
            << "BLOCKED" << RecordFormat::Csv << false
            << QStringLiteral("BLOCKED: the disk does not keep up (rows not written: %1)")
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
        Recorder recorder;
        QSignalSpy failed(&recorder, &Recorder::failed);
        QSignalSpy sweeps(&recorder, &Recorder::sweepRecorded);
        const auto gate = std::make_shared<Gate>();
        if (path == QLatin1String("BLOCKED")) {
            recorder.start(std::make_unique<BlockedSink>(gate), path);
        } else if (!recorder.start(path, format)) {
            QCOMPARE(recorder.lastError(), reason);
            QVERIFY(!recorder.isRecording());
        }
        // One more than fits beside the row being written.
        int fed = path == QLatin1String("BLOCKED") ? int(Recorder::kQueuedSweeps) + 2 : 1;
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
        gate->release();

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

    // Rows reach the disk within a second, with one sync a second at most while they arrive. The
    // end of the program waits for queued rows at most the limit, then says how many it could
    // not write; a writer that never returns does not hold it up.
    void shutdownIsBounded_data()
    {
        QTest::addColumn<bool>("writerReturns");
        QTest::addColumn<qint64>("unwritten");
        QTest::newRow("writer keeps up") << true << qint64(0);
        QTest::newRow("writer never returns") << false << qint64(5);
    }
    void shutdownIsBounded()
    {
        QFETCH(bool, writerReturns);
        const auto gate = std::make_shared<Gate>();
        if (writerReturns) {
            gate->release();
        }
        Recorder recorder;
        recorder.start(std::make_unique<BlockedSink>(gate), QStringLiteral("stuck"));
        for (int n = 0; n < 5; ++n) {
            feedSweep(recorder);
        }
        if (writerReturns) {
            QTRY_COMPARE_WITH_TIMEOUT(gate->read(&Gate::syncedRows), 5, 3000);
            QVERIFY(gate->read(&Gate::syncs) < 5); // not one a row
        }
        QElapsedTimer clock;
        clock.start();
        const QList<Recorder::Unwritten> unwritten = recorder.finish();
        const qint64 unwrittenRows = unwritten.isEmpty() ? 0 : unwritten.first().rows;
        QTEST(unwrittenRows, "unwritten");
        QCOMPARE(gate->read(&Gate::rows), 5 - unwrittenRows);
        const qint64 limitMs = std::chrono::milliseconds(Recorder::kShutdownLimit).count();
        QVERIFY2(clock.elapsed() < limitMs + 3000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(writerReturns || clock.elapsed() >= limitMs - 50);
        // The abandoned writer ends, and closes its sink, once its write returns.
        gate->release();
        QTRY_VERIFY(gate->read(&Gate::closed));
    }

    void statistics_data()
    {
        QTest::addColumn<QList<int>>("levels"); // one reading a second; 0: a reconnect
        QTest::addColumn<QByteArray>("row");
        QTest::newRow("no readings")
            << QList<int>{} << QByteArray("7,429.2500,0,,,,0.0,0,0.000,,,");
        QTest::newRow("quiet") << QList<int>{-120, -110, -100}
                               << QByteArray(
                                      "7,429.2500,3,-120,-110.0,-100,0.0,0,0.000,,-110,-100");
        QTest::newRow("two bursts, the longer one ended")
            << QList<int>{-90, -120, -80, -70, -60, -120, -110}
            << QByteArray(
                   "7,429.2500,7,-120,-92.9,-60,57.1,2,3.000,2026-12-07T07:30:04.123Z,-90,-60");
        QTest::newRow("burst lasting to the end")
            << QList<int>{-120, -99, -99}
            << QByteArray(
                   "7,429.2500,3,-120,-106.0,-99,66.7,1,1.000,2026-12-07T07:30:02.123Z,-99,-99");
        QTest::newRow("reconnect ends a burst")
            << QList<int>{-90, -90, 0, -90, -120}
            << QByteArray(
                   "7,429.2500,4,-120,-97.5,-90,75.0,2,1.000,2026-12-07T07:30:02.123Z,-90,-90");
        // Median: the 5th of ten; p90: the 9th, not the 10th.
        QTest::newRow("median and p90 of ten")
            << QList<int>{-91, -97, -50, -96, -97, -95, -94, -97, -93, -92}
            << QByteArray(
                   "7,429.2500,10,-97,-90.2,-50,100.0,1,9.000,2026-12-07T07:30:09.123Z,-95,-91");
        QTest::newRow("levels beyond the histogram")
            << QList<int>{-200, -180, 12}
            << QByteArray(
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
                                      "longest_burst_s,last_above,median,p90"));
        QCOMPARE(lines[1], row);
        QCOMPARE(lines[40], QByteArray("46,429.7375,0,,,,0.0,0,0.000,,,"));
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
        QBuffer buffer;
        QVERIFY(buffer.open(QIODevice::WriteOnly));
        RtlPowerWriter writer(buffer, std::chrono::seconds(intervalS), QTimeZone::utc());
        for (const auto &[offsetMs, dbm] : sweeps) {
            SweepRecord sweep{kT0 + offsetMs, 1, RadioMode::AirMonitor, {}};
            sweep.dbm.fill(qint16(dbm));
            QVERIFY(writer.writeSweep(sweep));
        }
        QVERIFY(writer.writeEnd());
        QByteArray expected;
        for (const QByteArray &row : rows) {
            const QList<QByteArray> fields = row.split(',');
            expected += "2026-12-07, " + fields[0] + ", 429250000, 429750000, 12500.00," +
                        fields[1] + QByteArray("," + fields[2]).repeated(40) + '\n';
        }
        QCOMPARE(buffer.data(), expected);
    }

    void influx()
    {
        QBuffer buffer;
        QVERIFY(buffer.open(QIODevice::WriteOnly));
        InfluxLineWriter writer(buffer, QStringLiteral("ttyUSB0"), {{"site", "North Hill"}});
        QVERIFY(writer.writeReading(Reading{23, -72, kT0, RadioMode::Fsk}));
        QVERIFY(writer.writeReading(Reading{0, -72, kT0, RadioMode::Fsk}));
        QCOMPARE(buffer.data(), QByteArray("kvt318,port=ttyUSB0,channel=30,site=North\\ Hill "
                                           "dbm=-72i,mhz=429.5375 1796628600123000000\n"));
    }
};

QTEST_MAIN(TestRecord)
#include "tst_record.moc"
