// kvt318-scan's files over a long run, against the simulator at full speed: rotation and
// retention, reopening at SIGHUP, and the free-space floor; and the same files from a replay.
#include "engine/record/filerules.h"
#include "engine/record/spaceguard.h"
#include "simprocess.h"

#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QtTest>

#include <algorithm>
#include <csignal>
#include <optional>
#include <sys/mount.h>

namespace {

constexpr int kFinishMs = 90'000; // a Debug build on two shared cores, and other work
constexpr int kFields = 42;
constexpr qint64 kSomeRows = 10'000; // bytes: a few dozen rows

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The sweep numbers of a CSV recording; nothing when it lacks its header or holds a part row.
std::optional<QList<qint64>> sweepsIn(const QString &path)
{
    QList<QByteArray> rows = contents(path).split('\n');
    if (!rows.first().startsWith("time,sweep,ch7,") || !rows.takeLast().isEmpty()) {
        return std::nullopt;
    }
    QList<qint64> sweeps;
    for (const QByteArray &row : rows.mid(1)) {
        const QList<QByteArray> cells = row.split(',');
        if (cells.size() != kFields) {
            return std::nullopt;
        }
        sweeps.append(cells[1].toLongLong());
    }
    return sweeps;
}

// A CSV recording of sweeps `stepMs` apart from 2026-12-07T07:30:00Z, as kvt318-scan writes
// one; its rows, without the header.
QList<QByteArray> writeRecording(const QString &path, int sweeps, qint64 stepMs)
{
    QByteArray header = "time,sweep";
    for (int channel = 7; channel <= 46; ++channel) {
        header += ",ch" + QByteArray::number(channel);
    }
    QList<QByteArray> rows;
    for (int n = 0; n < sweeps; ++n) {
        const auto time = QDateTime::fromMSecsSinceEpoch(1796628600000 + n * stepMs, Qt::UTC);
        QByteArray row =
            time.toString("yyyy-MM-ddTHH:mm:ss.zzz").toLatin1() + "Z," + QByteArray::number(n + 1);
        for (int channel = 0; channel < kFields - 2; ++channel) {
            row += ',' + QByteArray::number(-120 + (n + channel) % 50);
        }
        rows.append(row);
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(header + '\n' + rows.join('\n') + '\n') < 0) {
        return {};
    }
    return rows;
}

// A file system of 2 MiB at a folder, for as long as this lives: filled, it has less than 1 MiB
// free until it is emptied again.
class FullDisk
{
public:
    explicit FullDisk(const QString &path)
        : m_path(path)
        , m_mounted(::mount("tmpfs", QFile::encodeName(path).constData(), "tmpfs", 0, "size=2m") ==
                    0)
    {}
    ~FullDisk()
    {
        if (m_mounted) {
            ::umount2(QFile::encodeName(m_path).constData(), MNT_DETACH);
        }
    }
    FullDisk(const FullDisk &) = delete;
    FullDisk &operator=(const FullDisk &) = delete;

    [[nodiscard]] bool isMounted() const { return m_mounted; }
    [[nodiscard]] bool fill(qint64 bytes = 1'500'000) const
    {
        QFile filler(fillerPath());
        return filler.open(QIODevice::WriteOnly) && filler.write(QByteArray(bytes, 'x')) > 0;
    }
    [[nodiscard]] bool empty() const { return QFile::remove(fillerPath()); }

private:
    [[nodiscard]] QString fillerPath() const { return m_path + QStringLiteral("/filler"); }

    QString m_path;
    bool m_mounted = false;
};

bool consecutive(const QList<qint64> &sweeps)
{
    return std::adjacent_find(sweeps.begin(), sweeps.end(),
                              [](qint64 a, qint64 b) { return b != a + 1; }) == sweeps.end();
}

struct Scan
{
    QProcess process;
    QByteArray said;

    explicit Scan(const QString &arguments)
    {
        process.start(qEnvironmentVariable("KVT318_SCAN"), QProcess::splitCommand(arguments));
    }
    bool says(const char *text) { return (said += process.readAllStandardError()).contains(text); }
    void signal(int number) const { ::kill(static_cast<pid_t>(process.processId()), number); }
    bool endsWell() { return process.waitForFinished(kFinishMs) && process.exitCode() == 0; }
};

// Where a run's sweeps come from: the simulator at full speed, or a recording of `count` sweeps
// 100 ms apart replayed at its pace.
struct Source
{
    SimProcess sim;
    QTemporaryDir dir;
    QList<QByteArray> rows; // a recording's, without its header
    QByteArray header;
    qint64 sweeps = 0;
    bool replay = false;
    bool started = false;

    Source(bool replayed, int count)
        : replay(replayed)
    {
        rows = replay ? writeRecording(dir.filePath("in.csv"), count, 100) : QList<QByteArray>();
        header = contents(dir.filePath("in.csv")).split('\n').first() + '\n';
        sweeps = rows.size();
        started = replay ? sweeps > 0 : sim.start({"--mode", "04", "--baud", "0"});
    }
    [[nodiscard]] bool isReady() const { return started; }
    [[nodiscard]] QString names() const
    {
        return QLatin1Char(' ') +
               (replay ? "--realtime --replay " + dir.filePath("in.csv") : sim.devicePath());
    }
};

} // namespace

class TestScanFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Files by the period, the oldest deleted beyond --keep. A replay writes the files a live run
    // would have for the same sweeps: each row in the file of its own second.
    void rotation_data()
    {
        QTest::addColumn<bool>("replay");
        QTest::addColumn<QString>("keep");
        QTest::addColumn<int>("files"); // 0: as many as the run took, two at least
        QTest::newRow("every 2 s") << false << "" << 0;
        QTest::newRow("--keep 2") << false << "--keep 2" << 2;
        QTest::newRow("replayed, every second") << true << "" << 0;
        QTest::newRow("replayed, --keep 2") << true << "--keep 2" << 2;
    }
    void rotation()
    {
        QFETCH(bool, replay);
        QFETCH(QString, keep);
        QFETCH(int, files);
        Source source(replay, 35);
        QVERIFY(source.isReady());
        QTemporaryDir dir;
        const std::chrono::seconds period(replay ? 1 : 2);
        Scan scan(QStringLiteral("-q --rotate %1s %2 %3 -o %4")
                      .arg(period.count())
                      .arg(replay ? QString() : QStringLiteral("-t 5"), keep,
                           dir.filePath("survey.csv")) +
                  source.names());
        QVERIFY2(scan.endsWell(), scan.said.constData());
        const QStringList names = QDir(dir.path()).entryList(QDir::Files, QDir::Name);
        QVERIFY(files == 0 ? names.size() >= 2 : names.size() == files);
        QList<qint64> sweeps;
        QMap<QString, QByteArray> written;
        for (const QString &name : names) {
            QVERIFY2(rotation::isRotatedName("survey.csv", name, period), qPrintable(name));
            const auto in = sweepsIn(dir.filePath(name));
            QVERIFY2(in, qPrintable(name));
            sweeps += *in;
            written[name] = contents(dir.filePath(name));
        }
        QVERIFY(!sweeps.isEmpty() && (files > 0 || sweeps.first() == 1));
        QVERIFY(consecutive(sweeps));
        QMap<QString, QByteArray> expected;
        for (const QByteArray &row : source.rows) {
            const qint64 utcMs =
                QDateTime::fromString(QString::fromLatin1(row.left(row.indexOf(','))),
                                      Qt::ISODateWithMs)
                    .toMSecsSinceEpoch();
            QByteArray &file = expected[rotation::fileName(
                "survey.csv", rotation::periodStart(utcMs, period), period)];
            file += (file.isEmpty() ? source.header : QByteArray()) + row + '\n';
        }
        while (files > 0 && expected.size() > files) {
            expected.erase(expected.begin());
        }
        if (replay) {
            QCOMPARE(written, expected);
        }
    }

    // A live run and a replay reopen their records and alarm log at SIGHUP: no sweep lost or
    // written twice.
    void reopensAtHangup_data()
    {
        QTest::addColumn<bool>("replay");
        QTest::newRow("live") << false;
        QTest::newRow("replay") << true;
    }
    void reopensAtHangup()
    {
        QFETCH(bool, replay);
        Source source(replay, 100);
        QVERIFY(source.isReady());
        QTemporaryDir dir;
        const QString out = dir.filePath("s.csv");
        const QString log = dir.filePath("alarms.csv");
        Scan scan("-q --alarm ch=7,above=-130 --alarm-log " + log + " -o " + out + source.names());
        QTRY_VERIFY_WITH_TIMEOUT(sweepsIn(out).value_or(QList<qint64>()).size() > 2, kFinishMs);
        QVERIFY(QFile::rename(out, out + ".1") && QFile::rename(log, log + ".1"));
        scan.signal(SIGHUP);
        QTRY_VERIFY_WITH_TIMEOUT(sweepsIn(out).value_or(QList<qint64>()).size() > 2, kFinishMs);
        if (!replay) {
            scan.signal(SIGINT);
        }
        QVERIFY2(scan.endsWell(), scan.said.constData());
        const auto before = sweepsIn(out + ".1");
        const auto after = sweepsIn(out);
        QVERIFY(before && after && !before->isEmpty() && !after->isEmpty());
        QVERIFY(before->first() == 1 && consecutive(*before + *after));
        QVERIFY(!replay || after->last() == source.sweeps);
        QVERIFY(contents(log + ".1").contains(",raised,7,"));
        QVERIFY(contents(log).startsWith("time,event,") && contents(log).contains(",ended,7,"));
    }

    // Onto a full disk, rows are dropped until there is room, live or replayed at the recorded
    // pace; the alarm log keeps the same floor.
    void pausesWhileTheDiskIsFull_data() { reopensAtHangup_data(); }
    void pausesWhileTheDiskIsFull()
    {
        QFETCH(bool, replay);
        QTemporaryDir dir;
        const FullDisk disk(dir.path());
        if (!disk.isMounted()) {
            QSKIP("no small file system: mounting a tmpfs needs root");
        }
        QVERIFY(disk.fill());
        Source source(replay, 150);
        QVERIFY(source.isReady());
        const QString out = dir.filePath("survey.csv");
        Scan scan("-q --min-free 1M --alarm ch=7,above=-130 --alarm-log " +
                  dir.filePath("alarms.csv") + " -o " + out + source.names());
        QTRY_VERIFY_WITH_TIMEOUT(scan.says("survey.csv: only "), kFinishMs);
        QTRY_VERIFY_WITH_TIMEOUT(scan.says("alarms.csv: only "), kFinishMs);
        QVERIFY(scan.says("free, below --min-free 1 MiB; rows are dropped until there is room\n"));
        // Below the floor from the start: not even the header is written.
        QVERIFY(!QFileInfo::exists(out));
        QVERIFY(disk.empty());
        QTRY_VERIFY_WITH_TIMEOUT(scan.says("free again, writing resumed; rows dropped meanwhile: "),
                                 kFinishMs);
        if (!replay) {
            QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(out).size() > kSomeRows, kFinishMs);
            scan.signal(SIGINT);
        }
        QVERIFY2(scan.endsWell(), scan.said.constData());
        QCOMPARE(scan.said.count("survey.csv: only "), 1);
        const auto written = sweepsIn(out);
        QVERIFY(written && !written->isEmpty() && consecutive(*written));
        QVERIFY(!replay || written->last() == source.sweeps);
    }

    // Writing resumes only with 5 % more than the floor free, so that a disk at the floor does
    // not flap between pausing and writing.
    void resumesWithAMargin_data()
    {
        QTest::addColumn<qint64>("above"); // free bytes beyond the floor once paused
        QTest::addColumn<bool>("resumes");
        constexpr qint64 kFloor = 1 << 20;
        QTest::newRow("at the floor") << qint64(0) << false;
        QTest::newRow("within the margin") << kFloor / 40 << false;
        QTest::newRow("beyond the margin") << kFloor / 20 + 16 * 1024 << true;
    }
    void resumesWithAMargin()
    {
        QFETCH(qint64, above);
        QFETCH(bool, resumes);
        QTemporaryDir dir;
        const FullDisk disk(dir.path());
        if (!disk.isMounted()) {
            QSKIP("no small file system: mounting a tmpfs needs root");
        }
        const QString path = dir.filePath("survey.csv");
        const qint64 room = SpaceGuard::freeBytes(path).value_or(0);
        SpaceGuard guard(1 << 20);
        std::vector<FileNotice> notices;
        QVERIFY(disk.fill() && !guard.admits(path, notices, true));
        QVERIFY(disk.empty() && disk.fill(room - (1 << 20) - above));
        QCOMPARE(guard.admits(path, notices, true), resumes);
        QCOMPARE(int(notices.size()), resumes ? 2 : 1);
    }

    // A period's file name, and the names --keep may delete: its own shape only.
    void rotatedNames_data()
    {
        QTest::addColumn<QString>("time"); // UTC
        QTest::addColumn<int>("period");   // seconds
        QTest::addColumn<QString>("stamp");
        QTest::newRow("a day") << "2026-12-07T23:59:59" << 86400 << "20261207";
        QTest::newRow("15 min") << "2026-12-07T14:14:59" << 900 << "20261207T1400";
        QTest::newRow("10 s") << "2026-12-07T14:05:19" << 10 << "20261207T140510";
        QTest::newRow("7 h, from midnight") << "2026-12-08T06:59" << 25200 << "20261208T0000";
    }
    void rotatedNames()
    {
        QFETCH(QString, time);
        QFETCH(int, period);
        QFETCH(QString, stamp);
        const QString output = QStringLiteral("d.1/survey.csv");
        const std::chrono::seconds length(period);
        const qint64 utcMs = QDateTime::fromString(time + 'Z', Qt::ISODate).toMSecsSinceEpoch();
        QCOMPARE(rotation::fileName(output, rotation::periodStart(utcMs, length), length),
                 "d.1/survey-" + stamp + ".csv");
        QVERIFY(rotation::isRotatedName(output, "survey-" + stamp + ".csv", length));
        // Another extension, stem or shape of time is another output's.
        for (const QString &foreign : {"survey-" + stamp + ".csv.gz", "other-" + stamp + ".csv",
                                       "survey-" + stamp + "00.csv"}) {
            QVERIFY2(!rotation::isRotatedName(output, foreign, length), qPrintable(foreign));
        }
    }
};

QTEST_MAIN(TestScanFiles)
#include "tst_scanfiles.moc"
