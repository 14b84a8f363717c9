// kvt318-scan's alarms against the module simulator: the log, the --on-alarm command and its
// limits, and a replay of the same recording (rules it refuses: tst_scanoptions).
#include "simprocess.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>

namespace {

constexpr int kFinishMs = 90'000;   // a Debug build on two shared cores, and other work
constexpr int kCarrierMs = 180'000; // a carrier on half the time raises and clears well within
constexpr int kKilledMs = 40'000;   // the command is killed 10 s after it starts, not 60
const QString kRule = QStringLiteral("ch=30,above=-90,clear-for=0");

QList<QByteArray> lines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QList<QByteArray> all = file.readAll().split('\n');
    all.removeLast();
    return all;
}

// The raised and cleared rows of an alarm log, the ended ones left out.
QList<QByteArray> raisesAndClears(const QString &path)
{
    QList<QByteArray> rows = lines(path);
    rows.removeIf([](const QByteArray &row) {
        return !row.contains(",raised,") && !row.contains(",cleared,");
    });
    return rows;
}

// A process that is gone or left only as a zombie.
bool alive(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    return stat.open(QIODevice::ReadOnly) && !stat.readAll().contains(") Z ");
}

// The body kvt318-scan's /metrics answers on this loopback port.
QByteArray scrape(quint16 port)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(kFinishMs)) {
        return {};
    }
    socket.write("GET /metrics HTTP/1.1\r\nHost: localhost\r\nConnection: close\r\n\r\n");
    // The alarm events come last in the text.
    QByteArray reply;
    while (!reply.contains("{event=\"ended\"}") && socket.waitForReadyRead(kFinishMs)) {
        reply += socket.readAll();
    }
    return reply;
}

struct Scan
{
    QTemporaryDir dir;
    QProcess process;
    QByteArray said;

    QString path(const char *name) const { return dir.filePath(QLatin1String(name)); }
    void start(const QStringList &arguments)
    {
        process.start(qEnvironmentVariable("KVT318_SCAN"), arguments);
    }
    QByteArray &errors()
    {
        said += process.readAllStandardError();
        return said;
    }
    bool stop()
    {
        ::kill(static_cast<pid_t>(process.processId()), SIGINT);
        return process.waitForFinished(kFinishMs);
    }
};

} // namespace

class TestScanAlarms : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Raised and cleared in the log, the command fed each event's JSON, and the recording of
    // the run raising and clearing the same at the same times when it is replayed.
    void carrierRaisesAndClears()
    {
        SimProcess sim;
        QVERIFY(sim.start({"--carrier", "30:-60:0.5"}));
        Scan scan;
        const QString hook =
            QStringLiteral("cat > \"%1/$KVT318_EVENT-$KVT318_CHANNEL-$KVT318_DBM.json\"")
                .arg(scan.dir.path());
        scan.start({"-q", "-o", scan.path("run.csv"), "--alarm", kRule, "--alarm-log",
                    scan.path("alarms.csv"), "--on-alarm", hook, sim.devicePath()});
        QTRY_VERIFY_WITH_TIMEOUT(lines(scan.path("alarms.csv")).join().contains(",cleared,30,"),
                                 kCarrierMs);
        QVERIFY(scan.stop());
        QCOMPARE(scan.process.exitCode(), 0);

        const QList<QByteArray> log = lines(scan.path("alarms.csv"));
        QCOMPARE(log[0], "time,event,channel,mhz,dbm,duration_s,peak_dbm,rule,reason");
        const QList<QByteArray> raised = log[1].split(',');
        QCOMPARE(raised[1], "raised");
        QCOMPARE(raised[3], "429.5375");
        QVERIFY(raised[4].toInt() > -90);
        QCOMPARE(raised[5], "");
        QVERIFY(log[1].endsWith(",\"" + kRule.toUtf8() + "\","));
        const QList<QByteArray> cleared = log[2].split(',');
        QCOMPARE(cleared[1], "cleared");
        QVERIFY(cleared[4].toInt() <= -93);
        QVERIFY(cleared[5].toDouble() > 0);
        QVERIFY(cleared[6].toInt() >= raised[4].toInt());

        const QString json = scan.dir.filePath("raised-30-" + raised[4] + ".json");
        QTRY_VERIFY2_WITH_TIMEOUT(QFile::exists(json),
                                  qPrintable(QDir(scan.dir.path()).entryList().join(' ')),
                                  kFinishMs);
        QFile input(json);
        QVERIFY(input.open(QIODevice::ReadOnly));
        const QJsonObject event = QJsonDocument::fromJson(input.readAll()).object();
        QCOMPARE(event.keys(), QStringList({"channel", "dbm", "duration_s", "event", "mhz",
                                            "peak_dbm", "rule", "time"}));
        QCOMPARE(event["time"].toString().toUtf8(), raised[0]);
        QCOMPARE(event["mhz"].toDouble(), 429.5375);
        QCOMPARE(event["rule"].toString(), kRule);
        QVERIFY(event["duration_s"].isNull());

        QProcess replay;
        replay.start(qEnvironmentVariable("KVT318_SCAN"),
                     {"-q", "--replay", scan.path("run.csv"), "--alarm", kRule, "--alarm-log",
                      scan.path("replayed.csv")});
        QVERIFY(replay.waitForFinished(kFinishMs));
        QCOMPARE(replay.exitCode(), 0);
        QCOMPARE(raisesAndClears(scan.path("replayed.csv")),
                 raisesAndClears(scan.path("alarms.csv")));
    }

    // With a single channel each of its readings is watched, as a sweep's channels are.
    void singleChannelRaises()
    {
        SimProcess sim;
        QVERIFY(sim.start({"--baud", "0", "--carrier", "30:-60"}));
        Scan scan;
        scan.start({"-q", "--channel", "30", "-o", scan.path("run.csv"), "--alarm", kRule,
                    "--alarm-log", scan.path("alarms.csv"), sim.devicePath()});
        QTRY_VERIFY_WITH_TIMEOUT(lines(scan.path("alarms.csv")).join().contains(",raised,30,"),
                                 kFinishMs);
        QVERIFY(scan.stop());
        QCOMPARE(scan.process.exitCode(), 0);
        QVERIFY(lines(scan.path("alarms.csv")).join().contains(",ended,30,"));
    }

    // A command that never ends is killed with what it started, and the sweep goes on meanwhile.
    void hangingCommandIsKilled()
    {
        SimProcess sim;
        QVERIFY(sim.start({"--carrier", "30:-60"}));
        Scan scan;
        const QString hook =
            QStringLiteral("sleep 1000 & echo $! > '%1/child'; wait").arg(scan.dir.path());
        scan.start(
            {"-o", scan.path("run.csv"), "--alarm", kRule, "--on-alarm", hook, sim.devicePath()});
        QTRY_VERIFY_WITH_TIMEOUT(scan.errors().contains("was killed"), kKilledMs);
        QVERIFY(scan.stop());
        // The time said is the one measured.
        const QRegularExpression killed("kvt318-scan: --on-alarm for channel 30 was still running "
                                        "after 1[0-9] s and was killed\n");
        QVERIFY2(killed.match(QString::fromUtf8(scan.errors())).hasMatch(), scan.said.constData());
        QVERIFY(scan.said.contains(") ended at "));
        const qint64 child = lines(scan.path("child")).value(0).toLongLong();
        QVERIFY(child > 0);
        QTRY_VERIFY_WITH_TIMEOUT(!alive(child), kFinishMs);
        // The sweeps kept their pace while the command hung.
        const QList<QByteArray> rows = lines(scan.path("run.csv"));
        QVERIFY2(rows.size() > 3, scan.said.constData());
        for (int row = 2; row < rows.size(); ++row) {
            const auto time = [&](int r) {
                return QDateTime::fromString(rows[r].split(',')[0], Qt::ISODateWithMs);
            };
            // Well below the 10 s the command hung for, with room for a busy machine.
            QVERIFY(time(row - 1).msecsTo(time(row)) < 8000);
        }
    }

    // A channel that flaps runs the command once per --on-alarm-interval: its next raises (and
    // their clears) are counted, not run.
    void flappingChannelIsRateLimited()
    {
        SimProcess sim;
        QVERIFY(sim.start({"--baud", "0", "--carrier", "30:-60:0.5"}));
        Scan scan;
        const QString hook = QStringLiteral("echo $KVT318_EVENT >> '%1'").arg(scan.path("events"));
        scan.start({"-q", "-o", "/dev/null", "--alarm", kRule, "--on-alarm", hook,
                    "--on-alarm-interval", "1h", sim.devicePath()});
        QTRY_VERIFY_WITH_TIMEOUT(scan.errors().contains("this channel's last raise ran less than "
                                                        "3600 s ago"),
                                 kFinishMs);
        QVERIFY(scan.stop());
        QCOMPARE(lines(scan.path("events")).count("raised"), 1);
    }

    // A module unplugged with the alarm raised: the log says it ended, and why.
    void lostPortEndsAlarms()
    {
        SimProcess sim;
        QVERIFY(sim.start({"--carrier", "30:-60", "--hangup-after", "100"}));
        Scan scan;
        scan.start({"-q", "-o", scan.path("run.csv"), "--alarm", kRule, "--alarm-log",
                    scan.path("alarms.csv"), sim.devicePath()});
        QVERIFY(scan.process.waitForFinished(kFinishMs));
        QCOMPARE(scan.process.exitCode(), 5);
        const QList<QByteArray> log = lines(scan.path("alarms.csv"));
        QCOMPARE(log.size(), 3);
        QVERIFY(log[1].contains(",raised,30,"));
        QVERIFY2(log[2].contains(",ended,30,") && log[2].contains(sim.devicePath().toUtf8()),
                 log[2].constData());
        // Ended at the last sweep's time, lasting from the raise to it.
        const QList<QByteArray> rows = lines(scan.path("run.csv"));
        QCOMPARE(log[2].left(24), rows.last().left(24));
    }

    // A log that cannot take an event ends the run with exit 1 and its reason, sweeps or readings.
    void failingLogEndsTheRun_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("room"); // bytes the log may grow by
        QTest::newRow("sweeps") << QStringList() << 16;
        QTest::newRow("single channel") << QStringList{"--channel", "30"} << 16;
        // Room for the raise only: the row that ends the alarm at the stop fails, and so does
        // the run.
        QTest::newRow("at the stop") << QStringList() << 150; // a raised row is about 90 bytes
    }
    void failingLogEndsTheRun()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, room);
        SimProcess sim;
        QVERIFY(sim.start({"--carrier", "30:-60"}));
        Scan scan;
        const QString log = scan.path("alarms.csv");
        // Files may grow a little past an earlier log: the lock on the port fits, an event does
        // not, and no part of it is left.
        const QByteArray earlier(4096, '\n');
        QFile file(log);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(earlier) == earlier.size());
        file.close();
        scan.process.setChildProcessModifier([size = static_cast<rlim_t>(earlier.size() + room)] {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{size, size};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
        scan.start(arguments + QStringList{"-q", "-o", "/dev/null", "--alarm", kRule, "--alarm-log",
                                           log, sim.devicePath()});
        const bool raiseFits = room > 100; // then the run goes on until it is stopped
        if (raiseFits) {
            QTRY_VERIFY_WITH_TIMEOUT(!raisesAndClears(log).isEmpty(), kFinishMs);
        }
        QVERIFY(raiseFits ? scan.stop() : scan.process.waitForFinished(kFinishMs));
        QCOMPARE(scan.process.exitCode(), 1);
        QVERIFY2(scan.errors().contains(
                     ("kvt318-scan: " + log + ": " + qt_error_string(EFBIG) + '\n').toUtf8()),
                 scan.said.constData());
        const QList<QByteArray> raised = raisesAndClears(log);
        QCOMPARE(QFileInfo(log).size(),
                 earlier.size() + (raised.isEmpty() ? 0 : raised[0].size() + 1));
    }

    // Prometheus sees the raised alarm on its channel and counts the event.
    void metricsShowAlarms()
    {
        SimProcess sim;
        QVERIFY(sim.start({"--carrier", "30:-60"}));
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const quint16 port = probe.serverPort();
        probe.close();
        Scan scan;
        scan.start({"-q", "-o", "/dev/null", "--metrics", QString::number(port), "--alarm", kRule,
                    sim.devicePath()});
        QTRY_VERIFY_WITH_TIMEOUT(
            scrape(port).contains("kvt318_alarm_events_total{event=\"raised\"} 1\n"), kFinishMs);
        const QByteArray metrics = scrape(port);
        QVERIFY(metrics.contains("kvt318_alarm_active{channel=\"30\",mhz=\"429.5375\"} 1\n"));
        QVERIFY(metrics.contains("kvt318_alarm_active{channel=\"31\",mhz=\"429.5500\"} 0\n"));
        QVERIFY(scan.stop());
    }
};

QTEST_GUILESS_MAIN(TestScanAlarms)
#include "tst_scanalarms.moc"
