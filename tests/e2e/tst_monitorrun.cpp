// The real monitor window and the real serial port against the module simulator on a
// pseudo-terminal: what the simulator's traffic log shows the monitor did, and what the
// window shows and stores.
#include "protocol/monitorsession.h"
#include "protocol/seriallink.h"
#include "simprocess.h"
#include "sweeplog.h"
#include "ui/mainwindow.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <memory>

namespace {

constexpr int kChannels = 40;
constexpr int kNoReading = -140;
// Enough measurements to pass the last channel and come round to the first ones again.
constexpr int kMeasurementsPastWrap = 45;
constexpr int kFewMeasurements = 3;
constexpr qint64 kPauseFloorMicros = 20'000;
constexpr int kHangupAfter = 5;
constexpr int kModeBoxes = 3; // Check1: FSK, LoRa, Air Monitor
constexpr int kAirMonitorBox = 2;

// Generous limits: a Debug build on two shared cores.
constexpr int kSweepLimitMs = 20'000;
constexpr int kTickLimitMs = 2'000; // Timer1 ticks every 300 ms
constexpr int kFaultNoticeLimitMs = 3'000;
constexpr int kHangupLimitMs = 10'000;

const QString kStopped = QStringLiteral("モニタ停止");
const QString kStarted = QStringLiteral("モニタ開始");
const QString kPortFault = QStringLiteral("Comポート異常検出");

// A band with a strong and a bursting carrier over a jittery floor, so that readings differ
// from channel to channel and from one pass to the next.
const QStringList kBand = {QStringLiteral("--seed"),    QStringLiteral("318"),
                           QStringLiteral("--jitter"),  QStringLiteral("6"),
                           QStringLiteral("--carrier"), QStringLiteral("9:-50"),
                           QStringLiteral("--carrier"), QStringLiteral("30:-70:0.5")};

QByteArray channelField(int measurement)
{
    return QByteArray::number(SweepLog::kFirstChannel + measurement % kChannels, 16)
        .toUpper()
        .rightJustified(2, '0');
}

// What the monitor must send when the module answers `measurements` measurements and then
// falls silent: the connect queries, a command pair (or one Air Monitor command) per channel
// in order with the wrap, and the command for the channel that is never answered.
QList<QByteArray> expectedCommands(bool airMonitor, const QByteArray &sampleCount, int measurements)
{
    QList<QByteArray> commands = {"@FV", "@MO"};
    for (int k = 0; k <= measurements; ++k) {
        if (airMonitor) {
            commands.append("@AM" + channelField(k) + sampleCount);
            continue;
        }
        commands.append("@CH" + channelField(k));
        if (k < measurements) {
            commands.append("@RA");
        }
    }
    return commands;
}

QList<qint16> asList(const std::array<qint16, kChannels> &values)
{
    return {values.begin(), values.end()};
}

} // namespace

class TestMonitorRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void sweepsEveryChannelInOrder_data();
    void sweepsEveryChannelInOrder();
    void stopClosesPortAtNextTick_data();
    void stopClosesPortAtNextTick();
    void hangUpLeavesWindowReadyToStartAgain_data();
    void hangUpLeavesWindowReadyToStartAgain();
    void startsOnThePortNamedInTheSettingsFile();

private:
    [[nodiscard]] QString settingsPath() const;
    std::unique_ptr<MainWindow> openWindow() const;
    static void startOn(MainWindow &window, const QString &device);
    static void verifyIdle(const MainWindow &window);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestMonitorRun::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestMonitorRun::cleanup()
{
    m_dir.reset();
}

QString TestMonitorRun::settingsPath() const
{
    return m_dir->filePath(QStringLiteral("monitor.ini"));
}

std::unique_ptr<MainWindow> TestMonitorRun::openWindow() const
{
    MainWindow::Services services;
    services.settingsPath = settingsPath();
    auto window = std::make_unique<MainWindow>(std::move(services));
    window->show();
    return window;
}

void TestMonitorRun::startOn(MainWindow &window, const QString &device)
{
    window.controls().comPort->setText(device);
    QTest::mouseClick(window.controls().command1, Qt::LeftButton);
}

void TestMonitorRun::verifyIdle(const MainWindow &window)
{
    const FormControls &c = window.controls();
    QCOMPARE(c.command1->text(), kStopped);
    QVERIFY(!window.link().isOpen());
    QVERIFY(c.comPort->isEnabled());
    QVERIFY(c.comSelectSW->isEnabled());
    QVERIFY(c.aveN->isEnabled());
    QVERIFY(!window.session().startStepTimer()->isActive());
}

void TestMonitorRun::sweepsEveryChannelInOrder_data()
{
    QTest::addColumn<QString>("modeCode");
    QTest::addColumn<int>("modeBox");
    QTest::addColumn<QString>("sampleCount");
    QTest::addColumn<QStringList>("faults");

    QTest::newRow("FSK") << "01" << 0 << "08" << QStringList();
    QTest::newRow("LoRa") << "03" << 1 << "08" << QStringList();
    QTest::newRow("Air Monitor") << "04" << kAirMonitorBox << "16" << QStringList();
    QTest::newRow("Air Monitor, replies in pieces")
        << "04" << kAirMonitorBox << "4" << QStringList{QStringLiteral("--split")};
}

void TestMonitorRun::sweepsEveryChannelInOrder()
{
    QFETCH(QString, modeCode);
    QFETCH(int, modeBox);
    QFETCH(QString, sampleCount);
    QFETCH(QStringList, faults);
    const bool airMonitor = modeBox == kAirMonitorBox;

    SimProcess sim;
    QVERIFY(
        sim.start(kBand + faults +
                  QStringList{QStringLiteral("--mode"), modeCode, QStringLiteral("--stall-after"),
                              QString::number(kMeasurementsPastWrap)}));
    const std::unique_ptr<MainWindow> window = openWindow();
    window->controls().aveN->setText(sampleCount);
    startOn(*window, sim.devicePath());

    // The command after the last answered measurement goes out only once that one is stored.
    const QList<QByteArray> expected =
        expectedCommands(airMonitor, sampleCount.toLatin1(), kMeasurementsPastWrap);
    QTRY_COMPARE_WITH_TIMEOUT(sim.commands().size(), expected.size(), kSweepLimitMs);
    QCOMPARE(sim.commands(), expected);

    const FormControls &c = window->controls();
    QCOMPARE(c.command1->text(), kStarted);
    QCOMPARE(c.message->text(), QString());
    for (int box = 0; box < kModeBoxes; ++box) {
        QCOMPARE(c.check1.at(static_cast<std::size_t>(box))->isChecked(), box == modeBox);
    }

    const SweepLog log(sim.log());
    QCOMPARE(log.measurements().size(), kMeasurementsPastWrap);
    std::array<qint16, kChannels> latest{};
    std::array<qint16, kChannels> highest{};
    latest.fill(kNoReading);
    highest.fill(kNoReading);
    for (const SweepLog::Measurement &m : log.measurements()) {
        const auto i = static_cast<std::size_t>(m.chIdx);
        latest.at(i) = m.dBm;
        highest.at(i) = std::max(highest.at(i), m.dBm);
    }
    QCOMPARE(asList(window->state().rssi), asList(latest));
    QCOMPARE(asList(window->state().rssiMax), asList(highest));

    if (!airMonitor) {
        QCOMPARE(log.rssiReadPauses().size(), kMeasurementsPastWrap);
        const qint64 shortest =
            *std::min_element(log.rssiReadPauses().begin(), log.rssiReadPauses().end());
        QVERIFY2(shortest >= kPauseFloorMicros,
                 qPrintable(QStringLiteral("@RA followed *CH= after only %1 us").arg(shortest)));
    }
}

void TestMonitorRun::stopClosesPortAtNextTick_data()
{
    QTest::addColumn<QString>("modeCode");
    QTest::newRow("FSK") << "01";
    QTest::newRow("Air Monitor") << "04";
}

void TestMonitorRun::stopClosesPortAtNextTick()
{
    QFETCH(QString, modeCode);
    SimProcess sim;
    QVERIFY(sim.start(kBand + QStringList{QStringLiteral("--mode"), modeCode,
                                          QStringLiteral("--baud"), QStringLiteral("19200")}));
    const std::unique_ptr<MainWindow> window = openWindow();
    startOn(*window, sim.devicePath());
    QTRY_VERIFY_WITH_TIMEOUT(SweepLog(sim.log()).measurements().size() >= kFewMeasurements,
                             kSweepLimitMs);

    // Whether the port is still open once each tick after the click has run.
    QList<bool> openAfterTick;
    MainWindow *w = window.get();
    connect(&w->refreshTimer(), &QTimer::timeout, w,
            [w, &openAfterTick] { openAfterTick.append(w->link().isOpen()); });
    const FormControls &c = window->controls();
    const QString lastCommand = c.send->text();
    QTest::mouseClick(c.command1, Qt::LeftButton);
    QVERIFY(window->link().isOpen());
    QCOMPARE(c.command1->text(), kStarted);

    QTRY_VERIFY_WITH_TIMEOUT(!openAfterTick.isEmpty(), kTickLimitMs);
    QCOMPARE(openAfterTick.first(), false);
    verifyIdle(*window);
    QCOMPARE(c.message->text(), QString());
    QCOMPARE(c.send->text(), lastCommand);
}

void TestMonitorRun::hangUpLeavesWindowReadyToStartAgain_data()
{
    QTest::addColumn<QString>("modeCode");
    QTest::newRow("FSK") << "01";
    QTest::newRow("Air Monitor") << "04";
}

void TestMonitorRun::hangUpLeavesWindowReadyToStartAgain()
{
    QFETCH(QString, modeCode);
    const QStringList paced =
        kBand + QStringList{QStringLiteral("--mode"), modeCode, QStringLiteral("--baud"),
                            QStringLiteral("19200")};
    SimProcess sim;
    QVERIFY(sim.start(
        paced + QStringList{QStringLiteral("--hangup-after"), QString::number(kHangupAfter)}));
    const std::unique_ptr<MainWindow> window = openWindow();
    QSignalSpy ended(&sim.process(), &QProcess::finished);
    QVERIFY(ended.isValid());
    startOn(*window, sim.devicePath());
    QVERIFY(ended.wait(kHangupLimitMs));
    QCOMPARE(SweepLog(sim.log()).measurements().size(), kHangupAfter);

    const FormControls &c = window->controls();
    QTRY_COMPARE_WITH_TIMEOUT(c.message->text(), kPortFault, kFaultNoticeLimitMs);
    verifyIdle(*window);
    QSignalSpy tick(&window->refreshTimer(), &QTimer::timeout);
    QVERIFY(tick.wait(kTickLimitMs));
    QCOMPARE(c.message->text(), kPortFault);

    SimProcess fresh;
    QVERIFY(fresh.start(paced));
    startOn(*window, fresh.devicePath());
    QTRY_VERIFY_WITH_TIMEOUT(SweepLog(fresh.log()).measurements().size() >= kFewMeasurements,
                             kSweepLimitMs);
    QCOMPARE(c.command1->text(), kStarted);
    QCOMPARE(c.message->text(), QString());
    QVERIFY(window->link().isOpen());
}

void TestMonitorRun::startsOnThePortNamedInTheSettingsFile()
{
    SimProcess sim;
    QVERIFY(sim.start(kBand + QStringList{QStringLiteral("--baud"), QStringLiteral("19200")}));
    QFile file(settingsPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QByteArray record = "ComNo        ," + sim.devicePath().toLocal8Bit() + "  ," +
                              QStringLiteral("Com通信ポート").toUtf8() + "\r\n";
    QCOMPARE(file.write(record), record.size());
    file.close();

    const std::unique_ptr<MainWindow> window = openWindow();
    QCOMPARE(window->controls().comPort->text(), sim.devicePath());
    QTest::mouseClick(window->controls().command1, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(SweepLog(sim.log()).measurements().size() >= kFewMeasurements,
                             kSweepLimitMs);
    QCOMPARE(sim.commands().mid(0, 4), (QList<QByteArray>{"@FV", "@MO", "@CH07", "@RA"}));
    QCOMPARE(window->controls().message->text(), QString());
}

QTEST_MAIN(TestMonitorRun)
#include "tst_monitorrun.moc"
