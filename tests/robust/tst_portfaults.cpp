#include "protocol/monitorstate.h"
#include "protocol/texts.h"
#include "simprocess.h"
#include "windowdriver.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QSerialPort>
#include <QtTest>

#include <unistd.h>

#include <chrono>
#include <cstdio>

using namespace std::chrono_literals;

namespace {

// Run with this argument and a device path, the test program only holds that port open
// through QSerialPort until its standard input closes: another process owning the port.
constexpr char kHoldPortArgument[] = "--hold-port";
constexpr QLatin1String kHeld("held");

constexpr auto kFaultShown = 3s;
constexpr auto kProcessTimeout = 5s;
// A run that spins on a dead port keeps a core busy; an idle window hardly uses any.
constexpr auto kIdleSpan = 600ms;
constexpr double kMaxIdleCpuShare = 0.5;

// When the module goes away. The window offers no hook inside its handlers, but the text
// boxes it writes on the way do: Send changes just before a command goes out, RxDataDisp just
// after a reply came in and before it is acted on.
enum class HangUp {
    RightAfterStart,   // the port is open, no command sent yet
    AsSendShows,       // the command in Send is about to be written
    AsReceivedMatches, // RxDataDisp matches; the handler acts on it next
    BySimulator,       // the simulator closes its terminal on its own (--hangup-after)
};

int holdPort(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QSerialPort port(QString::fromLocal8Bit(argv[2]));
    if (!port.open(QIODevice::ReadWrite)) {
        std::fprintf(stderr, "cannot hold %s: %s\n", argv[2], qPrintable(port.errorString()));
        return 1;
    }
    std::printf("%s\n", kHeld.data());
    std::fflush(stdout);
    char byte = 0;
    while (::read(STDIN_FILENO, &byte, 1) > 0) {
    }
    return 0;
}

bool waitFor(QProcess &process)
{
    return process.waitForFinished(
        static_cast<int>(std::chrono::milliseconds(kProcessTimeout).count()));
}

} // namespace

Q_DECLARE_METATYPE(HangUp)

class TestPortFaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void hangUpInEachState_data();
    void hangUpInEachState();
    void startOnPortHeldByAnotherProcess();
};

void TestPortFaults::hangUpInEachState_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<HangUp>("hangUp");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("captionAtHangUp");
    QTest::addColumn<int>("readings");
    QTest::addColumn<QString>("lastCommand");

    const QString preparing = texts::buttonPreparing();
    const QString started = texts::buttonStarted();
    const QStringList fsk{QStringLiteral("--mode"), QStringLiteral("01")};
    const QStringList air{QStringLiteral("--mode"), QStringLiteral("04")};
    const QStringList afterFive{QStringLiteral("--hangup-after"), QStringLiteral("5")};

    QTest::newRow("connecting, port just opened")
        << fsk << HangUp::RightAfterStart << QString() << preparing << 0 << QString();
    QTest::newRow("connecting, @FV going out")
        << fsk << HangUp::AsSendShows << QStringLiteral("^@FV$") << preparing << 0
        << QStringLiteral("@FV");
    QTest::newRow("connecting, @MO going out")
        << fsk << HangUp::AsSendShows << QStringLiteral("^@MO$") << preparing << 0
        << QStringLiteral("@MO");
    QTest::newRow("sweeping FSK") << fsk + afterFive << HangUp::BySimulator << QString()
                                  << QString() << 5 << QStringLiteral("@CH0C");
    QTest::newRow("sweeping Air Monitor") << air + afterFive << HangUp::BySimulator << QString()
                                          << QString() << 5 << QStringLiteral("@AM0C08");
    // The channel-set reply of the fourth channel is in: the 20 ms pause follows at once,
    // and "@RA" goes out to a module that has gone.
    QTest::newRow("inside the pause before @RA")
        << fsk << HangUp::AsReceivedMatches << QStringLiteral("\\*CH=0A\\r\\n") << started << 3
        << QStringLiteral("@RA");
}

void TestPortFaults::hangUpInEachState()
{
    QFETCH(QStringList, options);
    QFETCH(HangUp, hangUp);
    QFETCH(QString, pattern);
    QFETCH(QString, captionAtHangUp);
    QFETCH(int, readings);
    QFETCH(QString, lastCommand);

    SimProcess sim;
    QVERIFY(sim.start(options));
    WindowDriver driver;
    driver.setPort(sim.devicePath());

    QString captionThen;
    // SIGKILL and reaped: the terminal is gone before the window takes its next step.
    const auto pullThePlug = [&] {
        captionThen = driver.caption();
        sim.process().kill();
        QVERIFY(waitFor(sim.process()));
    };
    const QRegularExpression match(pattern);
    QObject watch;
    const auto watchBox = [&](QLineEdit &box) {
        connect(&box, &QLineEdit::textChanged, &watch, [&](const QString &text) {
            if (captionThen.isEmpty() && match.match(text).hasMatch()) {
                pullThePlug();
            }
        });
    };
    if (hangUp == HangUp::AsSendShows) {
        watchBox(driver.sendBox());
    } else if (hangUp == HangUp::AsReceivedMatches) {
        watchBox(driver.receivedBox());
    }

    driver.clickStartStop();
    QCOMPARE(driver.caption(), texts::buttonPreparing());
    if (hangUp == HangUp::RightAfterStart) {
        pullThePlug();
    }

    QTRY_COMPARE_WITH_TIMEOUT(driver.message(), texts::portFault(),
                              std::chrono::milliseconds(kFaultShown).count());
    QVERIFY(driver.isIdle());
    // The simulator's own hang-up leaves no moment to look at the caption; the readings
    // taken and the unanswered command show where the sweep stood.
    QCOMPARE(captionThen, captionAtHangUp);
    if (hangUp == HangUp::BySimulator) {
        QTRY_COMPARE(sim.process().state(), QProcess::NotRunning);
        QCOMPARE(sim.process().exitCode(), 0);
    }
    QCOMPARE(driver.window().state().chIdx, readings);
    QCOMPARE(driver.sendBox().text(), lastCommand);

    // Later connect steps and refresh ticks neither replace the message nor find a port to
    // spin on.
    const double share = WindowDriver::cpuShareOver(kIdleSpan);
    qInfo() << "processor share once stopped:" << share;
    QVERIFY(share < kMaxIdleCpuShare);
    QCOMPARE(driver.message(), texts::portFault());
    QVERIFY(driver.isIdle());
}

void TestPortFaults::startOnPortHeldByAnotherProcess()
{
    SimProcess sim;
    QVERIFY(sim.start({}));
    QProcess holder;
    holder.start(QCoreApplication::applicationFilePath(),
                 {QLatin1String(kHoldPortArgument), sim.devicePath()});
    QVERIFY(holder.waitForStarted());
    QTRY_VERIFY(holder.canReadLine() || holder.state() == QProcess::NotRunning);
    QCOMPARE(holder.readLine().trimmed(), QByteArray(kHeld.data()));

    WindowDriver driver;
    driver.setPort(sim.devicePath());
    driver.clickStartStop();
    QCOMPARE(driver.message(), texts::portFault());
    QVERIFY(driver.isIdle());

    // Released, the same port opens: it was the other process that stood in the way.
    holder.closeWriteChannel();
    QVERIFY(waitFor(holder));
    QCOMPARE(holder.exitCode(), 0);
    driver.clickStartStop();
    QCOMPARE(driver.caption(), texts::buttonPreparing());
    QCOMPARE(driver.message(), QString());
    QTRY_COMPARE(driver.caption(), texts::buttonStarted());
    driver.clickStartStop();
    QTRY_VERIFY(driver.isIdle());
    QCOMPARE(driver.message(), QString());
}

int main(int argc, char *argv[])
{
    if (argc == 3 && qstrcmp(argv[1], kHoldPortArgument) == 0) {
        return holdPort(argc, argv);
    }
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestPortFaults test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_portfaults.moc"
