#include "module-sim/terminalclient.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>

using kvtsim::TerminalClient;
using namespace std::chrono_literals;

namespace {

constexpr auto kReplyTimeout = 2s;
constexpr int kProcessTimeoutMs = 5000;

// One simulator process; stopped with SIGTERM when the test ends.
class SimulatorProcess
{
public:
    ~SimulatorProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(kProcessTimeoutMs)) {
                m_process.kill();
                m_process.waitForFinished(kProcessTimeoutMs);
            }
        }
    }

    // Starts the simulator and returns the terminal path from its first output line.
    QString start(const QStringList &args)
    {
        m_process.start(qEnvironmentVariable("KVT318_SIM"), args);
        QElapsedTimer timer;
        timer.start();
        while (!m_process.canReadLine() && timer.elapsed() < kProcessTimeoutMs &&
               m_process.waitForReadyRead(kProcessTimeoutMs - int(timer.elapsed()))) {
        }
        return QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }

    // True once the process has ended, including before this call.
    bool waitForExit()
    {
        return m_process.state() == QProcess::NotRunning ||
               m_process.waitForFinished(kProcessTimeoutMs);
    }

    QProcess &process() { return m_process; }

private:
    QProcess m_process;
};

struct LogLine
{
    qint64 micros = 0;
    QString direction;
    QString text;
};

QList<LogLine> readLog(const QString &path)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d+) (rx|tx) (.*)$"));
    QList<LogLine> lines;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return lines;
    }
    for (const QByteArray &raw : file.readAll().split('\n')) {
        const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(raw));
        if (match.hasMatch()) {
            lines.append({match.captured(1).toLongLong(), match.captured(2), match.captured(3)});
        }
    }
    return lines;
}

qint64 nowMicros()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Reads until everything received matches `pattern` whole, or the time is up.
QString readMatching(TerminalClient &client, const QRegularExpression &pattern)
{
    const auto deadline = std::chrono::steady_clock::now() + kReplyTimeout;
    std::string received;
    while (!pattern.match(QString::fromLatin1(received.c_str(), int(received.size()))).hasMatch()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left <= 0ms || client.readSome(received, left) != TerminalClient::ReadStatus::Data) {
            break;
        }
    }
    return QString::fromLatin1(received.c_str(), int(received.size()));
}

} // namespace

class TestSimTerminal : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase();
    void replyForms_data();
    void replyForms();
    void splitReplyArrivesWhole();
    void paceAndDelay_data();
    void paceAndDelay();
    void hangupEndsTheClient();
    void stallSilencesEverything();
    void logRecordsTraffic();
    void survivesReopen();
    void linkFollowsLifetime_data();
    void linkFollowsLifetime();
};

void TestSimTerminal::initTestCase()
{
    QVERIFY2(QFileInfo(qEnvironmentVariable("KVT318_SIM")).isExecutable(),
             "KVT318_SIM must name the simulator");
    QVERIFY(m_dir.isValid());
}

void TestSimTerminal::replyForms_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("commands");
    // Everything the client receives, as a whole.
    QTest::addColumn<QString>("pattern");

    QTest::newRow("model") << QStringList() << QByteArray("@FV\r\n")
                           << QString("KVT-318M Ver1\\.00\r\n");
    QTest::newRow("other model") << QStringList{"--model", "PVT-318"} << QByteArray("@FV\r\n")
                                 << QString("PVT-318 Ver1\\.00\r\n");
    QTest::newRow("no id, next reply first")
        << QStringList{"--no-id"} << QByteArray("@FV\r\n@CH07\r\n") << QString("\\*CH=07\r\n");
    QTest::newRow("mode") << QStringList() << QByteArray("@MO\r\n") << QString("\\*MO=01\r\n");
    QTest::newRow("lora mode") << QStringList{"--mode", "03"} << QByteArray("@MO\r\n")
                               << QString("\\*MO=03\r\n");
    QTest::newRow("unknown mode") << QStringList{"--mode", "99"} << QByteArray("@MO\r\n")
                                  << QString("\\*MO=99\r\n");
    QTest::newRow("no mode, next reply first")
        << QStringList{"--mode", "none"} << QByteArray("@MO\r\n@CH2E\r\n")
        << QString("\\*CH=2E\r\n");
    QTest::newRow("channel and rssi")
        << QStringList{"--carrier", "10:-60", "--seed", "3"} << QByteArray("@CH0A\r\n@RA\r\n")
        << QString("\\*CH=0A\r\n\\*RA=-0[5-6]\\ddBm\r\n");
    QTest::newRow("noise rssi") << QStringList{"--seed", "3"} << QByteArray("@CH08\r\n@RA\r\n")
                                << QString("\\*CH=08\r\n\\*RA=-1[1-3]\\ddBm\r\n");
    QTest::newRow("air monitor") << QStringList{"--jitter", "0", "--carrier", "30:-92"}
                                 << QByteArray("@AM1E08\r\n") << QString("\\*RS=A4\r\n");
    QTest::newRow("bare line ends")
        << QStringList() << QByteArray("@CH09\r@MO\n") << QString("\\*CH=09\r\n\\*MO=01\r\n");
    QTest::newRow("malformed") << QStringList() << QByteArray("@CH2F\r\n@ra\r\n")
                               << QString("\\*ER\r\n\\*ER\r\n");
    QTest::newRow("garbage before reply")
        << QStringList{"--garbage", "6", "--seed", "4"} << QByteArray("@CH0A\r\n")
        << QString("[^*]{6}\\*CH=0A\r\n");
}

void TestSimTerminal::replyForms()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, commands);
    QFETCH(QString, pattern);

    SimulatorProcess simulator;
    TerminalClient client(simulator.start(args).toStdString());
    QVERIFY2(client.isOpen(), client.error().c_str());
    QVERIFY(client.send(commands.toStdString()));

    const QRegularExpression whole(QRegularExpression::anchoredPattern(pattern));
    const QString received = readMatching(client, whole);
    QVERIFY2(whole.match(received).hasMatch(), qPrintable(received.toUtf8().toPercentEncoding()));
}

void TestSimTerminal::splitReplyArrivesWhole()
{
    const QString model = "KVT-318M with a long model text";
    SimulatorProcess simulator;
    TerminalClient client(
        simulator.start({"--split", "--model", model, "--seed", "8"}).toStdString());
    QVERIFY2(client.isOpen(), client.error().c_str());
    QVERIFY(client.send("@FV\r\n"));

    const std::string expected = (model + " Ver1.00\r\n").toStdString();
    std::string received;
    int reads = 0;
    while (received.size() < expected.size() &&
           client.readSome(received, kReplyTimeout) == TerminalClient::ReadStatus::Data) {
        ++reads;
    }
    QCOMPARE(received, expected);
    // About a dozen chunks a few milliseconds apart; even a busy client sees several.
    QVERIFY2(reads > 1, qPrintable(QString::number(reads)));
}

void TestSimTerminal::paceAndDelay_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("leastMs");
    // 7 bytes out and 8 back at 1200 baud: 15 bytes of 8.3 ms.
    QTest::newRow("1200 baud") << QStringList{"--baud", "1200"} << 120;
    QTest::newRow("delay") << QStringList{"--delay-ms", "150"} << 150;
}

void TestSimTerminal::paceAndDelay()
{
    QFETCH(QStringList, args);
    QFETCH(int, leastMs);

    SimulatorProcess simulator;
    TerminalClient client(simulator.start(args).toStdString());
    QVERIFY2(client.isOpen(), client.error().c_str());
    QElapsedTimer timer;
    timer.start();
    QVERIFY(client.send("@CH0A\r\n"));
    QCOMPARE(client.readLine(kReplyTimeout), std::optional<std::string>("*CH=0A\r\n"));
    QVERIFY2(timer.elapsed() >= leastMs, qPrintable(QString::number(timer.elapsed())));
}

void TestSimTerminal::hangupEndsTheClient()
{
    const QString link = m_dir.filePath("hangup-link");
    SimulatorProcess simulator;
    TerminalClient client(simulator.start({"--hangup-after", "2", "--link", link}).toStdString());
    QVERIFY2(client.isOpen(), client.error().c_str());

    for (const char *command : {"@CH07\r\n", "@RA\r\n", "@AM0708\r\n"}) {
        QVERIFY(client.send(command));
        QVERIFY(client.readLine(kReplyTimeout).has_value());
    }
    QVERIFY(client.send("@RA\r\n"));
    std::string rest;
    QCOMPARE(client.readSome(rest, 3s), TerminalClient::ReadStatus::Closed);
    QVERIFY(rest.empty());
    QVERIFY(!client.send("@RA\r\n"));

    QVERIFY(simulator.waitForExit());
    QCOMPARE(simulator.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(simulator.process().exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
}

void TestSimTerminal::stallSilencesEverything()
{
    const QString log = m_dir.filePath("stall.log");
    SimulatorProcess simulator;
    TerminalClient client(simulator.start({"--stall-after", "1", "--log", log}).toStdString());
    QVERIFY2(client.isOpen(), client.error().c_str());
    QVERIFY(client.send("@RA\r\n"));
    QVERIFY(client.readLine(kReplyTimeout).has_value());

    QVERIFY(client.send("@RA\r\n@FV\r\n"));
    // A reply goes out before the next command is read, so once the last command is logged
    // nothing more can come.
    QTRY_COMPARE(readLog(log).size(), 4);
    QStringList directions;
    for (const LogLine &line : readLog(log)) {
        directions << line.direction;
    }
    QCOMPARE(directions, QStringList({"rx", "tx", "rx", "rx"}));
    std::string extra;
    QCOMPARE(client.readSome(extra, 100ms), TerminalClient::ReadStatus::TimedOut);
}

void TestSimTerminal::logRecordsTraffic()
{
    const QString log = m_dir.filePath("traffic.log");
    SimulatorProcess simulator;
    TerminalClient client(
        simulator.start({"--log", log, "--delay-ms", "30", "--jitter", "0"}).toStdString());
    QVERIFY2(client.isOpen(), client.error().c_str());

    const qint64 before = nowMicros();
    QVERIFY(client.send("@CH2E\r\n"));
    QVERIFY(client.readLine(kReplyTimeout).has_value());
    QVERIFY(client.send("@RA\r"));
    QVERIFY(client.readLine(kReplyTimeout).has_value());
    const qint64 after = nowMicros();

    QTRY_COMPARE(readLog(log).size(), 4);
    const QList<LogLine> lines = readLog(log);
    const QStringList texts = {"@CH2E\\r\\n", "*CH=2E\\r\\n", "@RA\\r", "*RA=-120dBm\\r\\n"};
    for (int i = 0; i < lines.size(); ++i) {
        QCOMPARE(lines[i].direction, QString(i % 2 == 0 ? "rx" : "tx"));
        QCOMPARE(lines[i].text, texts[i]);
        // The same monotonic clock as the client's.
        QVERIFY(lines[i].micros >= before && lines[i].micros <= after);
        if (i > 0) {
            QVERIFY(lines[i].micros >= lines[i - 1].micros);
        }
    }
    QVERIFY(lines[1].micros - lines[0].micros >= 30'000);
}

void TestSimTerminal::survivesReopen()
{
    SimulatorProcess simulator;
    const std::string path = simulator.start({"--mode", "04", "--seed", "5"}).toStdString();
    for (int session = 0; session < 3; ++session) {
        TerminalClient client(path);
        QVERIFY2(client.isOpen(), client.error().c_str());
        QVERIFY(client.send("@MO\r\n"));
        QCOMPARE(client.readLine(kReplyTimeout), std::optional<std::string>("*MO=04\r\n"));
        QVERIFY(client.send("@AM0708\r\n"));
        const std::optional<std::string> reading = client.readLine(kReplyTimeout);
        QVERIFY(reading && reading->rfind("*RS=", 0) == 0);
    }
    QCOMPARE(simulator.process().state(), QProcess::Running);
}

void TestSimTerminal::linkFollowsLifetime_data()
{
    QTest::addColumn<QString>("existing");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("free") << QString() << 0;
    QTest::newRow("stale link") << QString("link") << 0;
    QTest::newRow("regular file") << QString("file") << 1;
}

void TestSimTerminal::linkFollowsLifetime()
{
    QFETCH(QString, existing);
    QFETCH(int, exitCode);

    const QString link = m_dir.filePath(QString("dev-%1").arg(QTest::currentDataTag()));
    if (existing == "link") {
        QVERIFY(QFile::link(m_dir.filePath("gone"), link));
    } else if (existing == "file") {
        QFile file(link);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    SimulatorProcess simulator;
    const QString path = simulator.start({"--link", link});
    if (exitCode == 0) {
        QCOMPARE(QFileInfo(link).symLinkTarget(), path);
        simulator.process().terminate();
    }
    QVERIFY(simulator.waitForExit());
    QCOMPARE(simulator.process().exitCode(), exitCode);
    // A link the simulator made is gone; a file it refused to touch is still there.
    QCOMPARE(QFileInfo::exists(link), existing == "file");
    QVERIFY(!QFileInfo(link).isSymLink());
}

QTEST_GUILESS_MAIN(TestSimTerminal)

#include "tst_simterminal.moc"
