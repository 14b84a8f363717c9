// The real monitor window and the real serial port against the module simulator on a
// pseudo-terminal: what the simulator's traffic log shows the monitor did, and what the
// window shows and stores.
#include "engine/protocol/qtseriallink.h"
#include "engine/protocol/seriallink.h"
#include "engine/protocol/sweepengine.h"
#include "simprocess.h"
#include "sweeplog.h"
#include "windows/main/mainwindow.h"

#include <QCheckBox>
#include <QDeadlineTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <memory>

namespace {

constexpr int kChannels = 40;
constexpr int kNoReading = -140;
// Enough measurements to pass the last channel and come round to the first ones again.
constexpr int kMeasurementsPastWrap = 45;
constexpr int kFewMeasurements = 3;
constexpr qint64 kPauseFloorMicros = 20'000;
constexpr int kAirMonitorBox = 2; // Check1: FSK, LoRa, Air Monitor

// Generous limits: a Debug build on two shared cores, beside other work.
constexpr int kSweepLimitMs = 90'000;
constexpr int kTickLimitMs = 10'000; // Timer1 ticks every 300 ms
constexpr int kFaultNoticeLimitMs = 10'000;
constexpr int kHangupLimitMs = 30'000;

const QString kStopped = QStringLiteral("モニタ停止");
const QString kStarted = QStringLiteral("モニタ開始");
const QString kPortFault = QStringLiteral("Comポート異常検出");
const QString kSettingsFile = QStringLiteral("monitor.ini");

QStringList args(const QString &line)
{
    return line.split(QLatin1Char(' '));
}

// A band with a strong and a bursting carrier over a jittery floor, so that readings differ
// from channel to channel and from one pass to the next.
const QStringList kBand = args(QStringLiteral("--seed 318 --jitter 6 --carrier 9:-50 "
                                              "--carrier 30:-70:0.5"));

// What the monitor must send when the module answers `measurements` measurements and then
// falls silent: the connect queries, a command pair (or one Air Monitor command) per channel
// in order with the wrap, and the command for the channel that is never answered.
QList<QByteArray> expectedCommands(bool airMonitor, const QByteArray &sampleCount, int measurements)
{
    QList<QByteArray> commands = {"@FV", "@MO"};
    for (int k = 0; k <= measurements; ++k) {
        const QByteArray field = QByteArray::number(SweepLog::kFirstChannel + k % kChannels, 16)
                                     .toUpper()
                                     .rightJustified(2, '0');
        commands.append(airMonitor ? "@AM" + field + sampleCount : "@CH" + field);
        if (!airMonitor && k < measurements) {
            commands.append("@RA");
        }
    }
    return commands;
}

QList<qint16> asList(const std::array<qint16, kChannels> &values)
{
    return {values.begin(), values.end()};
}

bool measured(SimProcess &sim, int count)
{
    return SweepLog(sim.log()).measurements().size() >= count;
}

// The chart holds the latest and the highest of every reading the simulator sent.
void verifyReadings(const MainWindow &window, SimProcess &sim)
{
    QList<qint16> latest(kChannels, kNoReading);
    QList<qint16> highest = latest;
    const SweepLog log(sim.log());
    for (const SweepLog::Measurement &m : log.measurements()) {
        latest[m.channelIndex] = m.dBm;
        highest[m.channelIndex] = std::max(highest.at(m.channelIndex), m.dBm);
    }
    QCOMPARE(asList(window.engine().monitorState().latest), latest);
    QCOMPARE(asList(window.engine().monitorState().highest), highest);
}

// The real serial port, with a look at every line just before it is written.
class WatchedLink final : public SerialLink
{
public:
    std::function<void(const QByteArray &)> beforeWrite;

    WatchedLink()
    {
        connect(&m_port, &SerialLink::received, this, &SerialLink::received);
        connect(&m_port, &SerialLink::failed, this, &SerialLink::failed);
    }
    void selectPort(const QString &systemName) override { m_port.selectPort(systemName); }
    bool open() override { return m_port.open(); }
    bool isOpen() const override { return m_port.isOpen(); }
    void close() override { m_port.close(); }
    bool writeLine(const QByteArray &line) override
    {
        if (beforeWrite) {
            beforeWrite(line);
        }
        return m_port.writeLine(line);
    }
    qint64 read(char *data, qint64 maxSize) override { return m_port.read(data, maxSize); }
    void setReadThreshold(qsizetype count) override { m_port.setReadThreshold(count); }
    QString errorString() const override { return m_port.errorString(); }
    QSerialPort::SerialPortError openError() const override { return m_port.openError(); }

private:
    QtSerialLink m_port;
};

} // namespace

class TestMonitorRun : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    // The engine of the latest window; it outlives the window, which each test closes first.
    std::unique_ptr<SweepEngine> m_engine;

    [[nodiscard]] std::unique_ptr<MainWindow>
    openWindow(std::unique_ptr<SerialLink> link = std::make_unique<QtSerialLink>())
    {
        m_engine = std::make_unique<SweepEngine>(std::move(link));
        MainWindow::Services services;
        services.settingsPath = m_dir->filePath(kSettingsFile);
        auto window = std::make_unique<MainWindow>(*m_engine, std::move(services));
        window->show();
        return window;
    }
    // The engine holds the port open from a start to a stop.
    static bool portOpen(const MainWindow &window)
    {
        return window.engine().state() != SweepEngine::State::Idle;
    }
    static void startOn(MainWindow &window, const QString &device)
    {
        window.controls().comPort->setText(device);
        QTest::mouseClick(window.controls().command1, Qt::LeftButton);
    }
    static void verifyIdle(const MainWindow &window)
    {
        const FormControls &c = window.controls();
        QCOMPARE(c.command1->text(), kStopped);
        QVERIFY(!portOpen(window));
        QVERIFY(c.comPort->isEnabled() && c.comSelectSW->isEnabled() && c.aveN->isEnabled());
        QVERIFY(!window.engine().findChild<QTimer *>(QStringLiteral("StartTimer"))->isActive());
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void sweepsEveryChannelInOrder_data()
    {
        QTest::addColumn<QString>("modeCode");
        QTest::addColumn<int>("modeBox");
        QTest::addColumn<QString>("sampleCount");
        QTest::addColumn<QStringList>("faults");
        QTest::addColumn<int>("measurements");
        QTest::newRow("FSK") << "01" << 0 << "08" << QStringList() << kMeasurementsPastWrap;
        QTest::newRow("LoRa") << "03" << 1 << "08" << QStringList() << kMeasurementsPastWrap;
        QTest::newRow("Air Monitor")
            << "04" << kAirMonitorBox << "16" << QStringList() << kMeasurementsPastWrap;
        QTest::newRow("Air Monitor, replies in pieces")
            << "04" << kAirMonitorBox << "4" << args(QStringLiteral("--split"))
            << kMeasurementsPastWrap;
        // 4096 random bytes (never a '*') before every reply, a megabyte in all: the received
        // text stays within 4096 characters and no reading is lost or corrupted.
        QTest::newRow("Air Monitor, flooded")
            << "04" << kAirMonitorBox << "08" << args(QStringLiteral("--garbage 4096")) << 250;
    }

    void sweepsEveryChannelInOrder()
    {
        QFETCH(QString, modeCode);
        QFETCH(int, modeBox);
        QFETCH(QString, sampleCount);
        QFETCH(QStringList, faults);
        QFETCH(int, measurements);
        const bool airMonitor = modeBox == kAirMonitorBox;
        SimProcess sim;
        QVERIFY(sim.start(
            kBand + faults +
            args(QStringLiteral("--mode %1 --stall-after %2").arg(modeCode).arg(measurements))));
        const std::unique_ptr<MainWindow> window = openWindow();
        window->controls().aveN->setText(sampleCount);
        // Read after every receive event, once the window has handled it.
        qsizetype longest = 0;
        connect(&window->engine(), &SweepEngine::received, window.get(),
                [&](const QString &text) { longest = std::max(longest, text.size()); });
        startOn(*window, sim.devicePath());

        // The command after the last answered measurement goes out only once that one is stored.
        const QList<QByteArray> expected =
            expectedCommands(airMonitor, sampleCount.toLatin1(), measurements);
        QTRY_COMPARE_WITH_TIMEOUT(sim.commands().size(), expected.size(), kSweepLimitMs);
        QCOMPARE(sim.commands(), expected);
        const FormControls &c = window->controls();
        QCOMPARE(c.command1->text(), kStarted);
        QCOMPARE(c.message->text(), QString());
        for (std::size_t box = 0; box < c.check1.size(); ++box) {
            QCOMPARE(c.check1.at(box)->isChecked(), int(box) == modeBox);
        }

        QVERIFY(longest <= 4096 && c.rxDataDisp->text().size() <= 4096);
        QVERIFY(!faults.contains(QStringLiteral("--garbage")) || longest == 4096);
        const SweepLog log(sim.log());
        QCOMPARE(log.measurements().size(), measurements);
        verifyReadings(*window, sim);
        if (!airMonitor) {
            const QList<qint64> &pauses = log.rssiReadPauses();
            QCOMPARE(pauses.size(), measurements);
            const qint64 shortest = *std::min_element(pauses.begin(), pauses.end());
            QVERIFY2(
                shortest >= kPauseFloorMicros,
                qPrintable(QStringLiteral("@RA followed *CH= after only %1 us").arg(shortest)));
        }
    }

    void stopClosesPortAtNextTick_data()
    {
        QTest::addColumn<QString>("modeCode");
        QTest::newRow("FSK") << "01";
        QTest::newRow("Air Monitor") << "04";
    }

    void stopClosesPortAtNextTick()
    {
        QFETCH(QString, modeCode);
        SimProcess sim;
        QVERIFY(sim.start(kBand + args(QStringLiteral("--mode %1 --baud 19200").arg(modeCode))));
        const std::unique_ptr<MainWindow> window = openWindow();
        startOn(*window, sim.devicePath());
        QTRY_VERIFY_WITH_TIMEOUT(measured(sim, kFewMeasurements), kSweepLimitMs);

        MainWindow *w = window.get();
        QString lastCommand;
        connect(&w->engine(), &SweepEngine::commandSent, w,
                [&lastCommand](const QString &command) { lastCommand = command; });
        QTRY_VERIFY_WITH_TIMEOUT(!lastCommand.isEmpty(), kTickLimitMs);
        // Whether the port is still open once each tick after the click has run.
        QList<bool> openAfterTick;
        connect(&w->refreshTimer(), &QTimer::timeout, w,
                [w, &openAfterTick] { openAfterTick.append(portOpen(*w)); });
        const FormControls &c = window->controls();
        QTest::mouseClick(c.command1, Qt::LeftButton);
        QVERIFY(portOpen(*window));
        QCOMPARE(c.command1->text(), kStarted);

        QTRY_VERIFY_WITH_TIMEOUT(!openAfterTick.isEmpty(), kTickLimitMs);
        QCOMPARE(openAfterTick.first(), false);
        verifyIdle(*window);
        QCOMPARE(c.message->text(), QString());
        QCOMPARE(c.send->text(), lastCommand);
    }

    void hangUpLeavesWindowReadyToStartAgain_data()
    {
        QTest::addColumn<QString>("modeCode");
        QTest::addColumn<QString>("sending"); // pulled as this goes out; empty: --hangup-after
        QTest::addColumn<int>("readings");
        QTest::addColumn<QString>("lastCommand");
        QTest::newRow("sweeping FSK") << "01"
                                      << "" << 5 << "@CH0C";
        QTest::newRow("sweeping Air Monitor") << "04"
                                              << "" << 5 << "@AM0C08";
        QTest::newRow("@FV going out") << "01"
                                       << "@FV" << 0 << "@FV";
        // Written at the end of the pause.
        QTest::newRow("@RA going out after the pause") << "01"
                                                       << "@RA" << 3 << "@RA";
    }

    void hangUpLeavesWindowReadyToStartAgain()
    {
        QFETCH(QString, modeCode);
        QFETCH(QString, sending);
        QFETCH(int, readings);
        const QStringList paced =
            kBand + args(QStringLiteral("--mode %1 --baud 19200").arg(modeCode));
        SimProcess sim;
        QVERIFY(sim.start(paced + (sending.isEmpty()
                                       ? args(QStringLiteral("--hangup-after %1").arg(readings))
                                       : QStringList())));
        auto watched = std::make_unique<WatchedLink>();
        WatchedLink *link = watched.get();
        const std::unique_ptr<MainWindow> window = openWindow(std::move(watched));
        const FormControls &c = window->controls();
        QSignalSpy ended(&sim.process(), &QProcess::finished);
        // Killed and reaped: the terminal is gone before the command is written.
        link->beforeWrite = [&](const QByteArray &line) {
            if (line == sending.toLatin1() + "\r\n" &&
                window->engine().monitorState().channelIndex == readings && ended.isEmpty()) {
                // The simulator logs a reply just after writing it; on a busy machine the
                // window may be this far before the log is, and the kill must not cut it off.
                QDeadlineTimer logged(kHangupLimitMs);
                while (SweepLog(sim.log()).measurements().size() < readings &&
                       !logged.hasExpired()) {
                    QThread::msleep(5);
                }
                sim.process().kill();
                sim.process().waitForFinished();
            }
        };
        startOn(*window, sim.devicePath());
        QVERIFY(!ended.isEmpty() || ended.wait(kHangupLimitMs));
        QCOMPARE(SweepLog(sim.log()).measurements().size(), readings);

        QTRY_COMPARE_WITH_TIMEOUT(c.message->text(), kPortFault, kFaultNoticeLimitMs);
        verifyIdle(*window);
        QCOMPARE(window->engine().monitorState().channelIndex, readings);
        QSignalSpy tick(&window->refreshTimer(), &QTimer::timeout);
        QVERIFY(tick.wait(kTickLimitMs));
        QCOMPARE(c.message->text(), kPortFault);
        QTEST(c.send->text(), "lastCommand");

        SimProcess fresh;
        QVERIFY(fresh.start(paced));
        startOn(*window, fresh.devicePath());
        QTRY_VERIFY_WITH_TIMEOUT(measured(fresh, kFewMeasurements), kSweepLimitMs);
        QCOMPARE(c.command1->text(), kStarted);
        QCOMPARE(c.message->text(), QString());
        QVERIFY(portOpen(*window));
    }
};

QTEST_MAIN(TestMonitorRun)
#include "tst_monitorrun.moc"
