// kvt318-scan run as a program against the module simulator: what it records, what it says and
// how it ends.
#include "engine/record/recordfile.h"
#include "engine/record/sweeprecord.h"
#include "simprocess.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kFinishMs = 30'000; // a Debug build on two shared cores
constexpr int kFieldsPerRow = 42;

QStringList args(const QString &line)
{
    return line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QList<QByteArray> lines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QList<QByteArray> all = file.readAll().split('\n');
    all.removeLast(); // after the last line end
    return all;
}

// kvt318-scan with its output in a scratch folder.
struct Scan
{
    QTemporaryDir dir;
    QProcess process;

    QString path(const char *name) const { return dir.filePath(QLatin1String(name)); }
    void start(const QStringList &arguments)
    {
        process.start(qEnvironmentVariable("KVT318_SCAN"), arguments);
    }
    bool finish() { return process.waitForFinished(kFinishMs); }
    QByteArray errors() { return process.readAllStandardError(); }
    void interrupt() { ::kill(static_cast<pid_t>(process.processId()), SIGINT); }
};

} // namespace

class TestScan : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void recordsCarriersAtTheirLevels_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::newRow("FSK") << "01";
        QTest::newRow("Air Monitor") << "04";
    }
    void recordsCarriersAtTheirLevels()
    {
        QFETCH(QString, mode);
        SimProcess sim;
        QVERIFY(sim.start(args("--jitter 1 --carrier 12:-60 --carrier 33:-85 --mode " + mode)));
        Scan scan;
        scan.start({"-q", "--sweeps", "3", "-o", scan.path("out.csv"), sim.devicePath()});
        QVERIFY(scan.finish());
        QCOMPARE(scan.process.exitCode(), 0);
        const QList<QByteArray> rows = lines(scan.path("out.csv"));
        QCOMPARE(rows.size(), 4);
        QVERIFY(rows[0].startsWith("time,sweep,ch7,ch8,"));
        for (int sweep = 1; sweep <= 3; ++sweep) {
            const QList<QByteArray> cells = rows[sweep].split(',');
            QCOMPARE(cells.size(), kFieldsPerRow);
            QVERIFY(QDateTime::fromString(cells[0], Qt::ISODateWithMs).isValid());
            QCOMPARE(cells[1].toInt(), sweep);
            for (int channel = 7; channel <= 46; ++channel) {
                const int dbm = cells[channel - 5].toInt();
                const int expected = channel == 12 ? -60 : channel == 33 ? -85 : -120;
                QVERIFY2(qAbs(dbm - expected) <= 6, cells[channel - 5].constData());
            }
        }
    }

    void dutyCycleGivesOccupancy()
    {
        SimProcess sim;
        QVERIFY(sim.start(args("--seed 318 --mode 04 --carrier 30:-70:0.3")));
        Scan scan;
        scan.start({"-q", "--channel", "30", "--duration", "4s", "--summary",
                    scan.path("summary.csv"), "-o", scan.path("out.csv"), sim.devicePath()});
        QVERIFY(scan.finish());
        QCOMPARE(scan.process.exitCode(), 0);
        const QList<QByteArray> summary = lines(scan.path("summary.csv"));
        QCOMPARE(summary.size(), 41);
        const QList<QByteArray> channel30 = summary[24].split(',');
        QCOMPARE(channel30[0], "30");
        QVERIFY2(qAbs(channel30[6].toDouble() - 30.0) <= 12.0, channel30[6].constData());
        QVERIFY(channel30[7].toInt() >= 2);
        QCOMPARE(summary[1].split(',')[2], "0"); // channel 7 was never measured
        QCOMPARE(lines(scan.path("out.csv")).constFirst(), "time,channel,mhz,dbm");
    }

    void interruptedRunKeepsCompleteRows()
    {
        SimProcess sim;
        QVERIFY(sim.start(args("--jitter 1")));
        Scan scan;
        scan.start({"-o", scan.path("out.csv"), "--summary", scan.path("summary.csv"), "--png",
                    scan.path("chart.png"), sim.devicePath()});
        QTRY_VERIFY_WITH_TIMEOUT(lines(scan.path("out.csv")).size() >= 3, kFinishMs);
        scan.interrupt();
        QVERIFY(scan.finish());
        QCOMPARE(scan.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(scan.process.exitCode(), 0);
        const QList<QByteArray> rows = lines(scan.path("out.csv"));
        for (const QByteArray &row : rows) {
            QCOMPARE(row.count(',') + 1, kFieldsPerRow);
        }
        QVERIFY(scan.errors().contains("Quietest channels"));
        const QList<QByteArray> summary = lines(scan.path("summary.csv"));
        QCOMPARE(summary.size(), 41);
        QCOMPARE(summary[1].split(',')[2].toInt(), rows.size() - 1);      // complete sweeps only
        QCOMPARE(QImage(scan.path("chart.png")).size(), QSize(601, 233)); // the design size

        // Its recording read back gives the same summary, field for field.
        Scan replay;
        replay.start(
            {"-q", "--replay", scan.path("out.csv"), "--summary", replay.path("summary.csv")});
        QVERIFY(replay.finish());
        QCOMPARE(replay.process.exitCode(), 0);
        QVERIFY(replay.errors().contains("0 damaged lines skipped"));
        QCOMPARE(lines(replay.path("summary.csv")), summary);
    }

    void replayRefusesWhatItCannotRead_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("said");
        QTest::newRow("missing") << QByteArray() << 3 << QByteArray("No such file");
        QTest::newRow("foreign") << QByteArray("name,phone\n") << 4
                                 << QByteArray("not a recording of kvt318");
    }
    void replayRefusesWhatItCannotRead()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, said);
        Scan replay;
        if (!content.isEmpty()) {
            QFile file(replay.path("in.csv"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        replay.start({"--replay", replay.path("in.csv")});
        QVERIFY(replay.finish());
        QCOMPARE(replay.process.exitCode(), exitCode);
        QVERIFY(replay.errors().contains(said));
    }

    // A span of a recording, and a summary beside a baseline.
    void replaysASpanAgainstABaseline_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<int>("samples");
        QTest::addColumn<QByteArray>("channel12"); // occupancy and the baseline columns
        QTest::newRow("whole file") << "" << 10 << QByteArray("50.0");
        QTest::newRow("at the recorded pace, a second a sweep")
            << "--realtime --from 07:30:07" << 3 << QByteArray("0.0");
        QTest::newRow("clock times, both ends included")
            << "--from 07:30:02 --to 07:30:04" << 3 << QByteArray("100.0");
        QTest::newRow("ISO 8601 without seconds")
            << "--to 2026-12-07T07:30Z" << 1 << QByteArray("100.0");
        QTest::newRow("against the whole file's summary")
            << "--from 07:30:05 --baseline BASE" << 5 << QByteArray("0.0,50.0,-50.0,-90.0,-30.0");
    }
    void replaysASpanAgainstABaseline()
    {
        QFETCH(QString, options);
        QFETCH(int, samples);
        QFETCH(QByteArray, channel12);
        Scan replay;
        {
            RecordFile file(replay.path("in.csv"), RecordFormat::Csv);
            QVERIFY(file.open() && file.writeHeader());
            SweepRecord sweep;
            for (int n = 0; n < 10; ++n) {
                sweep.sweep = n + 1;
                sweep.utcMs = 1796628600000 + n * 1000; // 2026-12-07T07:30:00Z on
                sweep.dbm.fill(-120);
                sweep.dbm[5] = qint16(n < 5 ? -60 : -120);
                QVERIFY(file.writeSweep(sweep));
            }
        }
        replay.start(
            {"-q", "--replay", replay.path("in.csv"), "--summary", replay.path("all.csv")});
        QVERIFY(replay.finish());
        QElapsedTimer clock;
        clock.start();
        replay.start(QStringList{"-q", "--replay", replay.path("in.csv"), "--summary",
                                 replay.path("span.csv")} +
                     args(options.replace("BASE", replay.path("all.csv"))));
        QVERIFY(replay.finish());
        // Paced, it cannot be done sooner than the recording took.
        QVERIFY(!options.contains("--realtime") || clock.elapsed() >= (samples - 1) * 1000);
        QCOMPARE(replay.process.exitCode(), 0);
        const QList<QByteArray> cells = lines(replay.path("span.csv")).at(6).split(',');
        QCOMPARE(cells[2].toInt(), samples);
        QCOMPARE(cells.mid(6, 1).join(',') +
                     (cells.size() > 10 ? ',' + cells.mid(10).join(',') : ""),
                 channel12);
    }

    void hangUpEndsOrReconnects_data()
    {
        QTest::addColumn<bool>("reconnect");
        QTest::newRow("without --reconnect") << false;
        QTest::newRow("with --reconnect") << true;
    }
    void hangUpEndsOrReconnects()
    {
        QFETCH(bool, reconnect);
        // Port names outside /dev are read as COM numbers.
        const QTemporaryDir devDir(QStringLiteral("/dev/shm/kvt318-scan-XXXXXX"));
        if (!devDir.isValid()) {
            QSKIP("no writable folder under /dev for the simulator's link");
        }
        const QString link = devDir.filePath(QStringLiteral("module"));
        Scan scan;
        SimProcess first;
        // 100 measurements: two whole sweeps and half of the third.
        QVERIFY(first.start({"--mode", "04", "--hangup-after", "100", "--link", link}));
        scan.start(QStringList{"-q", "-o", scan.path("out.csv"), link} +
                   (reconnect ? QStringList{"--reconnect"} : QStringList{}));
        if (!reconnect) {
            QVERIFY(scan.finish());
            QCOMPARE(scan.process.exitCode(), 5);
            QVERIFY(scan.errors().contains(link.toUtf8() + ": the port failed"));
            QCOMPARE(lines(scan.path("out.csv")).size(), 3);
            return;
        }
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT(
            (said += scan.process.readAllStandardError()).contains("reopening"), kFinishMs);
        QCOMPARE(lines(scan.path("out.csv")).size(), 3);
        SimProcess second;
        QVERIFY(second.start({"--mode", "04", "--link", link}));
        QTRY_VERIFY_WITH_TIMEOUT(lines(scan.path("out.csv")).size() >= 5, kFinishMs);
        scan.interrupt();
        QVERIFY(scan.finish());
        QCOMPARE(scan.process.exitCode(), 0);
        const QList<QByteArray> rows = lines(scan.path("out.csv"));
        const auto time = [&](int row) {
            return QDateTime::fromString(rows[row].split(',')[0], Qt::ISODateWithMs);
        };
        QCOMPARE(rows[3].split(',')[1], "3");
        // The reopening waits a second: the gap is in the times, not filled with rows.
        QVERIFY(time(2).msecsTo(time(3)) >= 900);
    }

    void exitCodes_data()
    {
        QTest::addColumn<QString>("simulator"); // empty: no simulator; PORT in the arguments
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing port")
            << ""
            << "/dev/kvt318-none" << 3 << "/dev/kvt318-none: no such device";
        QTest::newRow("unsupported model")
            << "--model XYZ-9"
            << "PORT" << 4 << ": unsupported module (it said \"XYZ-9 Ver1.00\")";
        QTest::newRow("no identification") << "--no-id"
                                           << "PORT" << 4 << ": no module answered";
        QTest::newRow("unknown mode") << "--mode 02"
                                      << "PORT" << 4 << "other than FSK";
        QTest::newRow("module falls silent")
            << "--mode 04 --stall-after 45"
            << "-q --stall-timeout 1 -o /dev/null PORT" << 5
            << ": the module stopped answering: no reading for 1 s";
        QTest::newRow("full disk")
            << "--mode 04"
            << "-o /dev/full PORT" << 1 << "/dev/full: No space left on device";
        // A reader that never reads: the writer blocks for ever once the pipe is full.
        QTest::newRow("rows lost at shutdown")
            << "--mode 04 --baud 0"
            << "-q --channel 20 -t 3 -o FIFO PORT" << 1 << "FIFO: rows not written within 2 s: ";
        QTest::newRow("unknown option") << ""
                                        << "--bogus PORT" << 2 << "Unknown option 'bogus'";
        QTest::newRow("channel out of range") << ""
                                              << "--channel 47 PORT" << 2 << "7 to 46";
        QTest::newRow("duration not a length") << ""
                                               << "-t 5x PORT" << 2 << "not '5x'";
        QTest::newRow("stall timeout not a length") << ""
                                                    << "--stall-timeout -1 PORT" << 2 << "'-1'";
        QTest::newRow("threshold not a number") << ""
                                                << "--threshold low PORT" << 2 << "'low'";
        QTest::newRow("no port") << ""
                                 << "-q" << 2 << "no PORT given";
    }
    void exitCodes()
    {
        QFETCH(QString, simulator);
        QFETCH(QString, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        SimProcess sim;
        if (!simulator.isEmpty()) {
            QVERIFY(sim.start(args(simulator)));
        }
        Scan scan;
        const QString fifo = scan.path("fifo");
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
        QVERIFY(reader >= 0);
        arguments.replace("FIFO", fifo);
        message.replace("FIFO", fifo);
        scan.start(args(arguments.replace("PORT", sim.devicePath().isEmpty() ? QStringLiteral("x")
                                                                             : sim.devicePath())));
        const bool finished = scan.finish();
        ::close(reader);
        QVERIFY(finished);
        QCOMPARE(scan.process.exitCode(), exitCode);
        const QList<QByteArray> said = scan.errors().split('\n');
        QVERIFY2(said[0].startsWith("kvt318-scan: ") && said[0].contains(message.toUtf8()),
                 said[0].constData());
    }
};

QTEST_MAIN(TestScan)
#include "tst_scan.moc"
