#include "processusage.h"
#include "protocol/monitorsession.h"
#include "protocol/replyreception.h"
#include "protocol/seriallink.h"
#include "protocol/texts.h"
#include "simprocess.h"
#include "windowdriver.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <chrono>

using namespace std::chrono_literals;

namespace {

// The simulator puts up to 4096 random bytes (never a '*', so never a reply tag) before
// every reply: the identification, the mode and each Air Monitor reading until it stalls,
// 10 MB in all.
constexpr qint64 kFloodBytes = 10'000'000;
constexpr qint64 kGarbagePerReply = 4096;
constexpr int kRepliesWithGarbage =
    static_cast<int>((kFloodBytes + kGarbagePerReply - 1) / kGarbagePerReply);
constexpr int kReadings = kRepliesWithGarbage - 2;
constexpr int kSimSeed = 7;

constexpr auto kFloodTimeout = 100s;
// Timer1 fires every 300 ms; a shared two-core machine may be late, a frozen window is later.
constexpr auto kMaxTickGap = 1500ms;
constexpr qint64 kMaxGrowthBytes = qint64{20} * 1024 * 1024;

} // namespace

class TestFlood : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sweepOutlivesTenMegabytesOfNoise();
};

void TestFlood::sweepOutlivesTenMegabytesOfNoise()
{
    SimProcess sim;
    QVERIFY(sim.start({QStringLiteral("--mode"), QStringLiteral("04"), QStringLiteral("--garbage"),
                       QString::number(kGarbagePerReply), QStringLiteral("--stall-after"),
                       QString::number(kReadings), QStringLiteral("--seed"),
                       QString::number(kSimSeed)}));
    qInfo() << "simulator seed" << kSimSeed << "garbage per reply" << kGarbagePerReply;

    WindowDriver driver;
    MainWindow &window = driver.window();
    // Shown, so that every receive event also repaints the received text and the chart.
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    driver.setPort(sim.devicePath());

    QElapsedTimer clock;
    clock.start();
    QList<qint64> ticks;
    int airCommands = 0;
    qsizetype longestShown = 0;
    QObject watch;
    connect(&window.refreshTimer(), &QTimer::timeout, &watch,
            [&] { ticks.append(clock.elapsed()); });
    connect(&driver.sendBox(), &QLineEdit::textChanged, &watch, [&](const QString &text) {
        if (text.startsWith(QLatin1String("@AM"))) {
            ++airCommands;
        }
    });
    connect(&driver.receivedBox(), &QLineEdit::textChanged, &watch,
            [&](const QString &text) { longestShown = std::max(longestShown, text.size()); });

    // Fonts, glyph caches and the first paints are in place before memory is first read.
    QTRY_VERIFY(ticks.size() >= 2);
    const std::optional<qint64> residentBefore = processusage::residentBytes();
    QVERIFY(residentBefore);
    const qint64 floodStart = clock.elapsed();
    driver.clickStartStop();

    // Every reading until the stall, then the command that is never answered.
    QVERIFY(WindowDriver::runUntil([&] { return airCommands == kReadings + 1 || driver.isIdle(); },
                                   kFloodTimeout));
    const qint64 floodEnd = clock.elapsed();
    const std::optional<qint64> residentAfter = processusage::residentBytes();
    QVERIFY(residentAfter);

    QCOMPARE(driver.message(), QString());
    QCOMPARE(driver.caption(), texts::buttonStarted());
    QCOMPARE(airCommands, kReadings + 1);
    QCOMPARE(window.state().chIdx, kReadings % MonitorState::kChannelCount);
    QVERIFY(longestShown <= ReplyReception::kRxBufLimit);
    QVERIFY(window.state().rxBuf.size() <= ReplyReception::kRxBufLimit);

    qint64 largestGap = 0;
    qint64 previous = floodStart;
    for (const qint64 tick : std::as_const(ticks)) {
        if (tick > floodStart) {
            largestGap = std::max(largestGap, tick - previous);
            previous = tick;
        }
    }
    largestGap = std::max(largestGap, floodEnd - previous);
    const qint64 growth = *residentAfter - *residentBefore;
    qInfo() << "flood took" << floodEnd - floodStart << "ms; largest gap between Timer1 ticks"
            << largestGap << "ms; resident memory grew by" << growth / 1024 << "KiB";
    QVERIFY2(largestGap < std::chrono::milliseconds(kMaxTickGap).count(),
             qPrintable(QStringLiteral("Timer1 paused for %1 ms").arg(largestGap)));
    if (processusage::underAddressSanitizer()) {
        qInfo() << "resident memory not judged under AddressSanitizer";
    } else {
        QVERIFY2(growth < kMaxGrowthBytes,
                 qPrintable(QStringLiteral("grew by %1 bytes").arg(growth)));
    }

    driver.clickStartStop();
    QTRY_VERIFY(driver.isIdle());
}

QTEST_MAIN(TestFlood)
#include "tst_flood.moc"
