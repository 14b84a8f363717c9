#include "protocol/reading.h"
#include "record/channelstatistics.h"
#include "record/recordfile.h"
#include "record/sweepassembler.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr qint64 kT0 = 1796628600123; // 2026-12-07T07:30:00.123Z

// One reading per entry, 100 ms apart: index, then dBm -60 - index; -1 starts a new run.
QList<Reading> readings(const QList<int> &indices, RadioMode mode = RadioMode::Fsk)
{
    QList<Reading> list;
    qint64 t = kT0;
    for (const int index : indices) {
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

SweepRecord sampleSweep(RadioMode mode)
{
    SweepRecord sweep{kT0, 3, mode, {}};
    for (int i = 0; i < 40; ++i) {
        sweep.dbm[std::size_t(i)] = qint16(-100 + i);
    }
    return sweep;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

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
            if (reading.index < 0) {
                assembler.startRun();
            } else {
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
        }
    }

    void modeChangeStartsOver()
    {
        SweepAssembler assembler;
        QSignalSpy spy(&assembler, &SweepAssembler::sweepCompleted);
        for (const Reading &reading : readings(sweepOf(0, 9), RadioMode::Fsk) +
                                          readings(sweepOf(10, 39), RadioMode::AirMonitor) +
                                          readings(sweepOf(0, 39), RadioMode::AirMonitor)) {
            assembler.addReading(reading);
        }
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<SweepRecord>().mode, RadioMode::AirMonitor);
    }

    void fileAppendsBelowOneHeader()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("survey.csv"));
        for (int run = 0; run < 2; ++run) {
            RecordFile file(path, RecordFormat::Csv);
            QVERIFY2(file.open(), qPrintable(file.errorString()));
            QVERIFY(file.writeSweep(sampleSweep(RadioMode::Fsk)));
        }
        const QList<QByteArray> lines = readAll(path).split('\n');
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[0].startsWith("time,sweep,ch7,ch8,"));
        QVERIFY(lines[0].endsWith(",ch45,ch46"));
        QCOMPARE(lines[1], lines[2]);
        QCOMPARE(lines[3], QByteArray());
    }

    void fileFailuresNameTheFile()
    {
        QTemporaryDir dir;
        const QString missingDir = dir.filePath(QStringLiteral("none/x.csv"));
        RecordFile unopenable(missingDir, RecordFormat::Csv);
        QVERIFY(!unopenable.open());
        QCOMPARE(unopenable.errorString(), missingDir + ": No such file or directory");

        RecordFile full(QStringLiteral("/dev/full"), RecordFormat::Jsonl);
        QVERIFY(full.open());
        QVERIFY(!full.writeSweep(sampleSweep(RadioMode::Fsk)));
        QCOMPARE(full.errorString(), QStringLiteral("/dev/full: No space left on device"));

        const QString removed = dir.filePath(QStringLiteral("removed.csv"));
        RecordFile file(removed, RecordFormat::Csv);
        QVERIFY(file.open());
        QVERIFY(file.writeSweep(sampleSweep(RadioMode::Fsk)));
        QVERIFY(QFile::remove(removed));
        QVERIFY(!file.writeSweep(sampleSweep(RadioMode::Fsk)));
        QCOMPARE(file.errorString(), removed + ": No such file or directory");
    }

    void statistics_data()
    {
        QTest::addColumn<QList<int>>("levels"); // one reading a second; 0: a reconnect
        QTest::addColumn<QByteArray>("row");
        QTest::newRow("no readings") << QList<int>{} << QByteArray("7,429.2500,0,,,,0.0,0,0.000,");
        QTest::newRow("quiet") << QList<int>{-120, -110, -100}
                               << QByteArray("7,429.2500,3,-120,-110.0,-100,0.0,0,0.000,");
        QTest::newRow("two bursts, the longer one ended")
            << QList<int>{-90, -120, -80, -70, -60, -120, -110}
            << QByteArray("7,429.2500,7,-120,-92.9,-60,57.1,2,3.000,2026-12-07T07:30:04.123Z");
        QTest::newRow("burst lasting to the end")
            << QList<int>{-120, -99, -99}
            << QByteArray("7,429.2500,3,-120,-106.0,-99,66.7,1,1.000,2026-12-07T07:30:02.123Z");
        QTest::newRow("reconnect ends a burst")
            << QList<int>{-90, -90, 0, -90, -120}
            << QByteArray("7,429.2500,4,-120,-97.5,-90,75.0,2,1.000,2026-12-07T07:30:02.123Z");
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
                                      "longest_burst_s,last_above"));
        QCOMPARE(lines[1], row);
        QCOMPARE(lines[40], QByteArray("46,429.7375,0,,,,0.0,0,0.000,"));
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
};

QTEST_MAIN(TestRecord)
#include "tst_record.moc"
