#include "module-sim/terminalclient.h"
#include "simprocess.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>

using kvtsim::TerminalClient;
using namespace std::chrono_literals;

namespace {

constexpr auto kReplyTimeout = 10s; // wide: the machine may be busy
constexpr int kExitTimeoutMs = 30000;

// Reads until everything received matches `whole`, or the time is up; counts the reads.
QString receive(TerminalClient &client, const QRegularExpression &whole, int &reads)
{
    const QDeadlineTimer deadline(kReplyTimeout);
    std::string received;
    while (!whole.match(QString::fromLatin1(received)).hasMatch() && !deadline.hasExpired() &&
           client.readSome(received, std::chrono::milliseconds(deadline.remainingTime())) ==
               TerminalClient::ReadStatus::Data) {
        ++reads;
    }
    return QString::fromLatin1(received);
}

} // namespace

class TestSimTerminal : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void replyForms_data();
    void replyForms();
    void logRecordsTraffic();
    void survivesReopen();
    void leavesAFileInPlaceOfTheLink();
};

void TestSimTerminal::replyForms_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("commands");
    // Everything the client receives, as a whole.
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("leastMs");

    const QStringList still = {"--jitter", "0"};
    QTest::newRow("defaults, bare line ends")
        << QStringList() << QByteArray("@FV\r@CH09\r@MO\n")
        << QString("KVT-318M Ver1\\.00\r\n\\*CH=09\r\n\\*MO=01\r\n") << 0;
    QTest::newRow("other model, lora mode")
        << QStringList{"--model=PVT-318", "--mode", "03"} << QByteArray("@FV\r\n@MO\r\n")
        << QString("PVT-318 Ver1\\.00\r\n\\*MO=03\r\n") << 0;
    QTest::newRow("unknown mode") << QStringList{"--mode", "99"} << QByteArray("@MO\r\n")
                                  << QString("\\*MO=99\r\n") << 0;
    QTest::newRow("no id, no mode, next reply first")
        << QStringList{"--no-id", "--mode", "none"} << QByteArray("@FV\r\n@MO\r\n@CH07\r\n")
        << QString("\\*CH=07\r\n") << 0;
    QTest::newRow("rssi on and beside a carrier")
        << still + QStringList{"--carrier", "10:-85"}
        << QByteArray("@CH0A\r\n@RA\r\n@CH0B\r\n@RA\r\n")
        << QString("\\*CH=0A\r\n\\*RA=-085dBm\r\n\\*CH=0B\r\n\\*RA=-120dBm\r\n") << 0;
    QTest::newRow("rssi before any channel, positive")
        << still + QStringList{"--carrier", "7:-60", "--carrier", "46:5"}
        << QByteArray("@RA\r\n@CH2E\r\n@RA\r\n")
        << QString("\\*RA=-060dBm\r\n\\*CH=2E\r\n\\*RA=\\+005dBm\r\n") << 0;
    // RSSI + 256 in upper-case hex, clamped to a byte; @AM also selects the channel for @RA.
    QTest::newRow("air monitor") << still + QStringList{"--carrier", "30:-92", "--carrier", "20:10"}
                                 << QByteArray("@AM1E255\r\n@AM141\r\n@RA\r\n")
                                 << QString("\\*RS=A4\r\n\\*RS=FF\r\n\\*RA=\\+010dBm\r\n") << 0;
    // 255 draws on the default floor of -120 dBm with 2 dB of jitter all round to -120.
    QTest::newRow("air monitor averages")
        << QStringList{"--seed", "1"} << QByteArray("@AM0A255\r\n").repeated(5)
        << QString("(\\*RS=88\r\n){5}") << 0;
    const QByteArrayList malformed = {"@ch07",     "@CH06",   "@CH2F",   "@CH0a",
                                      "@CH7",      "@CH007",  "@RA1",    "@FV ",
                                      "@XX",       "",        "@AM07",   "@AM070",
                                      "@AM071000", "@AM07x8", "@AM2F08", QByteArray(300, 'A')};
    // None of them moves off channel 7.
    QTest::newRow("malformed")
        << still + QStringList{"--carrier", "7:-60"}
        << "@CH07\r\n" + malformed.join("\r\n") + "\r\n@RA\r\n"
        << QString("\\*CH=07\r\n(\\*ER\r\n){%1}\\*RA=-060dBm\r\n").arg(malformed.size()) << 0;
    // Enough bytes that a stray '*' would all but surely turn up.
    QTest::newRow("garbage before reply")
        << QStringList{"--garbage", "3000", "--seed", "4"} << QByteArray("@CH0A\r\n")
        << QString("[^*]{3000}\\*CH=0A\r\n") << 0;
    QTest::newRow("split") << QStringList{"--split", "--model", "KVT-318M with a long model text"}
                           << QByteArray("@FV\r\n@CH0A\r\n")
                           << QString("KVT-318M with a long model text Ver1\\.00\r\n\\*CH=0A\r\n")
                           << 0;
    // 7 bytes out and 8 back at 1200 baud: 15 bytes of 8.3 ms.
    QTest::newRow("1200 baud") << QStringList{"--baud", "1200"} << QByteArray("@CH0A\r\n")
                               << QString("\\*CH=0A\r\n") << 120;
    QTest::newRow("delay") << QStringList{"--delay-ms", "150"} << QByteArray("@CH0A\r\n")
                           << QString("\\*CH=0A\r\n") << 150;
}

void TestSimTerminal::replyForms()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, commands);
    QFETCH(QString, pattern);
    QFETCH(int, leastMs);

    SimProcess simulator;
    QVERIFY(simulator.start(args));
    TerminalClient client(simulator.devicePath().toStdString());
    QVERIFY2(client.isOpen(), client.error().c_str());
    QElapsedTimer timer;
    timer.start();
    QVERIFY(client.send(commands.toStdString()));

    const QRegularExpression whole(QRegularExpression::anchoredPattern(pattern));
    int reads = 0;
    const QString received = receive(client, whole, reads);
    QVERIFY2(whole.match(received).hasMatch(), qPrintable(received.toUtf8().toPercentEncoding()));
    QVERIFY2(timer.elapsed() >= leastMs, qPrintable(QString::number(timer.elapsed())));
    if (args.contains("--split")) {
        // Dozens of chunks a few milliseconds apart; even a busy client sees several.
        QVERIFY2(reads > 1, qPrintable(QString::number(reads)));
    }
}

void TestSimTerminal::logRecordsTraffic()
{
    SimProcess simulator;
    QVERIFY(simulator.start({"--delay-ms", "30", "--jitter", "0"}));
    TerminalClient client(simulator.devicePath().toStdString());
    QVERIFY2(client.isOpen(), client.error().c_str());

    const auto nowMicros = [] {
        return std::chrono::duration_cast<std::chrono::microseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    };
    const qint64 before = nowMicros();
    for (const char *command : {"@CH2E\r\n", "@RA\r", "@\x01\\\xff\n"}) {
        QVERIFY(client.send(command));
        QVERIFY(client.readLine(kReplyTimeout).has_value());
    }
    const qint64 after = nowMicros();

    QTRY_COMPARE(simulator.log().size(), 6);
    QFile file(simulator.logPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArrayList lines = file.readAll().trimmed().split('\n');
    const QByteArrayList expected = {
        "rx @CH2E\\r\\n",       "tx *CH=2E\\r\\n",       "rx @RA\\r",
        "tx *RA=-120dBm\\r\\n", "rx @\\x01\\\\\\xFF\\n", "tx *ER\\r\\n"};
    QCOMPARE(lines.size(), expected.size());
    qint64 previous = before;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const qsizetype space = lines[i].indexOf(' ');
        QCOMPARE(lines[i].mid(space + 1), expected[i]);
        // The same monotonic clock as the client's, in order.
        const qint64 micros = lines[i].left(space).toLongLong();
        QVERIFY(micros >= previous && micros <= after);
        previous = micros;
    }
    QVERIFY(simulator.log()[1].micros - simulator.log()[0].micros >= 30'000);
}

void TestSimTerminal::survivesReopen()
{
    // A link left behind by a killed run is replaced, and removed again on SIGTERM.
    const QString link = m_dir.filePath("stale-link");
    QVERIFY(QFile::link(m_dir.filePath("gone"), link));
    SimProcess simulator;
    QVERIFY(simulator.start({"--mode", "04", "--link", link}));
    for (int session = 0; session < 3; ++session) {
        TerminalClient client(link.toStdString());
        QVERIFY2(client.isOpen(), client.error().c_str());
        QVERIFY(client.send("@MO\r\n@AM0708\r\n"));
        QCOMPARE(client.readLine(kReplyTimeout), std::optional<std::string>("*MO=04\r\n"));
        QCOMPARE(client.readLine(kReplyTimeout).value_or("").substr(0, 4), std::string("*RS="));
    }
    simulator.stop();
    QCOMPARE(simulator.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(simulator.process().exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
}

void TestSimTerminal::leavesAFileInPlaceOfTheLink()
{
    const QString path = m_dir.filePath("not-a-link");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QProcess simulator;
    simulator.start(qEnvironmentVariable("KVT318_SIM"), {"--link", path});
    QVERIFY(simulator.waitForFinished(kExitTimeoutMs));
    QCOMPARE(simulator.exitCode(), 1);
    QVERIFY(QFileInfo(path).isFile() && !QFileInfo(path).isSymLink());
}

QTEST_GUILESS_MAIN(TestSimTerminal)

#include "tst_simterminal.moc"
