#include "processusage.h"
#include "protocol/monitorsession.h"
#include "protocol/replyreception.h"
#include "protocol/seriallink.h"
#include "protocol/texts.h"
#include "simprocess.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSerialPort>
#include <QTimer>
#include <QtTest>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>

using namespace std::chrono_literals;

namespace {

// Run with this argument and a device path, the test program only holds that port open
// through QSerialPort until its standard input closes: another process owning the port.
constexpr char kHoldPortArgument[] = "--hold-port";
constexpr char kHeld[] = "held";
constexpr int kProcessTimeoutMs = 5000;

// The simulator puts 4096 random bytes (never a '*', so never a reply tag) before every
// reply: the identification, the mode and each Air Monitor reading until it stalls, 10 MB
// in all.
constexpr int kGarbagePerReply = 4096;
constexpr int kReadings = 10'000'000 / kGarbagePerReply;
constexpr auto kFloodTimeout = 100s;
// Timer1 fires every 300 ms; a shared two-core machine may be late, a frozen window is later.
constexpr qint64 kMaxTickGapMs = 1500;
constexpr double kMaxGrowthMiB = 20e6 / (1024.0 * 1024.0); // 20 MB

constexpr int kFaultShownMs = 3000;
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
        return 1;
    }
    std::printf("%s\n", kHeld);
    std::fflush(stdout);
    char byte = 0;
    while (::read(STDIN_FILENO, &byte, 1) > 0) {
    }
    return 0;
}

QString message(const MainWindow &window)
{
    return window.controls().message->text();
}

// No run: port closed, "モニタ停止", the port and sample-count controls usable again and no
// connect step pending.
bool isIdle(const MainWindow &window)
{
    const FormControls &c = window.controls();
    return c.command1->text() == texts::buttonStopped() && !window.link().isOpen() &&
           c.comPort->isEnabled() && c.comSelectSW->isEnabled() && c.aveN->isEnabled() &&
           !window.session().startStepTimer()->isActive();
}

} // namespace

Q_DECLARE_METATYPE(HangUp)

class TestPortFaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sweepOutlivesTenMegabytesOfNoise();
    void hangUpInEachState_data();
    void hangUpInEachState();
    void startOnPortHeldByAnotherProcess();

private:
    // The real window on the real serial port, its settings file kept out of the build tree.
    std::unique_ptr<MainWindow> window(const QString &port) const;

    QTemporaryDir m_dir;
};

std::unique_ptr<MainWindow> TestPortFaults::window(const QString &port) const
{
    MainWindowServices services;
    services.settingsPath = m_dir.filePath(QStringLiteral("monitor.ini"));
    auto window = std::make_unique<MainWindow>(std::move(services));
    window->controls().comPort->setText(port);
    return window;
}

void TestPortFaults::sweepOutlivesTenMegabytesOfNoise()
{
    SimProcess sim;
    QVERIFY(sim.start({QStringLiteral("--mode=04"), QStringLiteral("--seed=7"),
                       QStringLiteral("--garbage=%1").arg(kGarbagePerReply),
                       QStringLiteral("--stall-after=%1").arg(kReadings)}));
    const auto w = window(sim.devicePath());
    // Shown, so that every receive event also repaints the received text and the chart.
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    // Fonts, glyph caches and the first paints are in place before memory is first read.
    QSignalSpy warmUp(&w->refreshTimer(), &QTimer::timeout);
    QVERIFY(warmUp.wait() && warmUp.wait());

    QElapsedTimer sinceTick;
    qint64 largestGap = 0;
    int airCommands = 0;
    qsizetype longestShown = 0;
    QEventLoop loop;
    connect(&w->refreshTimer(), &QTimer::timeout, &loop, [&] {
        largestGap = std::max(largestGap, sinceTick.restart());
        // A run that failed ends the wait at once.
        if (isIdle(*w)) {
            loop.quit();
        }
    });
    // Every reading until the stall, then the command that is never answered.
    connect(w->controls().send, &QLineEdit::textChanged, &loop, [&](const QString &text) {
        if (text.startsWith(QLatin1String("@AM")) && ++airCommands == kReadings + 1) {
            loop.quit();
        }
    });
    connect(w->controls().rxDataDisp, &QLineEdit::textChanged, &loop,
            [&](const QString &text) { longestShown = std::max(longestShown, text.size()); });
    QTimer::singleShot(kFloodTimeout, &loop, &QEventLoop::quit);

    // The peak, so that a burst freed again counts too; this test runs first, so the peak is
    // where memory stands now.
    const double residentBefore = processusage::peakResidentMiB();
    sinceTick.start();
    w->controls().command1->click();
    // No QTRY here: its waits sleep between looks, which would pace the flood.
    loop.exec();
    largestGap = std::max(largestGap, sinceTick.elapsed());
    const double growth = processusage::peakResidentMiB() - residentBefore;

    QCOMPARE(airCommands, kReadings + 1);
    QVERIFY(longestShown <= ReplyReception::kRxBufLimit);
    QVERIFY(w->state().rxBuf.size() <= ReplyReception::kRxBufLimit);
    qInfo() << "largest gap between Timer1 ticks" << largestGap
            << "ms; peak resident memory grew by" << growth << "MiB";
    QVERIFY(largestGap < kMaxTickGapMs);
#ifndef KVT_UNDER_ASAN
    QVERIFY(growth < kMaxGrowthMiB);
#endif
}

void TestPortFaults::hangUpInEachState_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<HangUp>("hangUp");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("readings");
    QTest::addColumn<QString>("lastCommand");

    const QStringList fsk{QStringLiteral("--mode=01")};
    const QStringList afterFive{QStringLiteral("--hangup-after=5")};

    QTest::newRow("connecting, port just opened")
        << fsk << HangUp::RightAfterStart << QString() << 0 << QString();
    QTest::newRow("connecting, @FV going out")
        << fsk << HangUp::AsSendShows << QStringLiteral("^@FV$") << 0 << QStringLiteral("@FV");
    QTest::newRow("connecting, @MO going out")
        << fsk << HangUp::AsSendShows << QStringLiteral("^@MO$") << 0 << QStringLiteral("@MO");
    QTest::newRow("sweeping FSK") << fsk + afterFive << HangUp::BySimulator << QString() << 5
                                  << QStringLiteral("@CH0C");
    QTest::newRow("sweeping Air Monitor")
        << QStringList{QStringLiteral("--mode=04")} + afterFive << HangUp::BySimulator << QString()
        << 5 << QStringLiteral("@AM0C08");
    // The channel-set reply of the fourth channel is in: the 20 ms pause follows at once,
    // and "@RA" goes out to a module that has gone.
    QTest::newRow("inside the pause before @RA")
        << fsk << HangUp::AsReceivedMatches << QStringLiteral("\\*CH=0A\\r\\n") << 3
        << QStringLiteral("@RA");
}

void TestPortFaults::hangUpInEachState()
{
    QFETCH(QStringList, options);
    QFETCH(HangUp, hangUp);
    QFETCH(QString, pattern);
    QFETCH(int, readings);
    QFETCH(QString, lastCommand);

    SimProcess sim;
    QVERIFY(sim.start(options));
    const auto w = window(sim.devicePath());

    bool pulled = false;
    // SIGKILL and reaped: the terminal is gone before the window takes its next step.
    const auto pullThePlug = [&] {
        pulled = true;
        sim.process().kill();
        QVERIFY(sim.process().waitForFinished(kProcessTimeoutMs));
    };
    const QRegularExpression match(pattern);
    QObject watch;
    QLineEdit *watched = hangUp == HangUp::AsSendShows         ? w->controls().send
                         : hangUp == HangUp::AsReceivedMatches ? w->controls().rxDataDisp
                                                               : nullptr;
    if (watched != nullptr) {
        connect(watched, &QLineEdit::textChanged, &watch, [&](const QString &text) {
            if (!pulled && match.match(text).hasMatch()) {
                pullThePlug();
            }
        });
    }

    w->controls().command1->click();
    QCOMPARE(w->controls().command1->text(), texts::buttonPreparing());
    if (hangUp == HangUp::RightAfterStart) {
        pullThePlug();
    }

    QTRY_COMPARE_WITH_TIMEOUT(message(*w), texts::portFault(), kFaultShownMs);
    QVERIFY(isIdle(*w));
    // The readings taken and the unanswered command show where the run stood.
    QCOMPARE(w->state().chIdx, readings);
    QCOMPARE(w->controls().send->text(), lastCommand);

    // Later connect steps and refresh ticks neither replace the message nor find a port to
    // spin on.
    const double cpuBefore = processusage::cpuSeconds();
    QTest::qWait(static_cast<int>(std::chrono::milliseconds(kIdleSpan).count()));
    // Over the nominal span: the wait may take longer, never shorter.
    const double share =
        (processusage::cpuSeconds() - cpuBefore) / std::chrono::duration<double>(kIdleSpan).count();
    qInfo() << "processor share once stopped:" << share;
    QVERIFY(share < kMaxIdleCpuShare);
    QCOMPARE(message(*w), texts::portFault());
    QVERIFY(isIdle(*w));
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
    QCOMPARE(holder.readLine().trimmed(), QByteArray(kHeld));

    const auto w = window(sim.devicePath());
    w->controls().command1->click();
    QCOMPARE(message(*w), texts::portFault());
    QVERIFY(isIdle(*w));

    // Released, the same port opens: it was the other process that stood in the way.
    holder.closeWriteChannel();
    QVERIFY(holder.waitForFinished(kProcessTimeoutMs));
    QCOMPARE(holder.exitCode(), 0);
    w->controls().command1->click();
    QTRY_COMPARE(w->controls().command1->text(), texts::buttonStarted());
    QCOMPARE(message(*w), QString());
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
