#include "module-sim/bandscene.h"
#include "module-sim/lineassembler.h"
#include "module-sim/outboundwire.h"
#include "module-sim/simoptions.h"
#include "module-sim/wiretiming.h"

#include <QTest>

#include <cmath>

using kvtsim::Clock;
using std::chrono::milliseconds;

class TestSimModule : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void carrierDuty_data();
    void carrierDuty();
    void lineEnds_data();
    void lineEnds();
    void wireDelivery_data();
    void wireDelivery();
    void rejectsBadOptions_data();
    void rejectsBadOptions();
};

void TestSimModule::carrierDuty_data()
{
    QTest::addColumn<double>("duty");
    QTest::newRow("never") << 0.0;
    QTest::newRow("quarter") << 0.25;
    QTest::newRow("half") << 0.5;
}

void TestSimModule::carrierDuty()
{
    QFETCH(double, duty);
    constexpr auto kStep = milliseconds(5);
    constexpr auto kSpan = std::chrono::seconds(120);

    kvtsim::BandScene scene(-120.0, 0.0, {{20, -60.0, duty}}, 9);
    int onSteps = 0;
    int steps = 0;
    int switches = 0;
    bool wasOn = false;
    for (auto at = Clock::duration::zero(); at < kSpan; at += kStep, ++steps) {
        const bool on = scene.reading(20, 1, at) > -90;
        onSteps += on ? 1 : 0;
        switches += (steps > 0 && on != wasOn) ? 1 : 0;
        wasOn = on;
    }

    QVERIFY(std::abs(double(onSteps) / steps - duty) < 0.1);
    if (duty > 0.0 && duty < 1.0) {
        // Bursts of a few hundred milliseconds, not flicker and not minutes.
        const double meanRunMs = double(milliseconds(kSpan).count()) / (switches + 1);
        QVERIFY2(meanRunMs > 100.0 && meanRunMs < 1000.0, qPrintable(QString::number(meanRunMs)));
    }
}

void TestSimModule::lineEnds_data()
{
    QTest::addColumn<QByteArrayList>("reads");
    QTest::addColumn<QStringList>("commands");
    // Index, over all reads, of the byte whose arrival completes each line.
    QTest::addColumn<QList<int>>("completedAt");

    QTest::newRow("cr lf") << QByteArrayList{"@FV\r\n@MO\r\n"} << QStringList{"@FV", "@MO"}
                           << QList<int>{4, 9};
    QTest::newRow("bare cr") << QByteArrayList{"@FV\r@MO\r"} << QStringList{"@FV", "@MO"}
                             << QList<int>{3, 7};
    QTest::newRow("lf in the next read")
        << QByteArrayList{"@FV\r", "\n@MO\r\n"} << QStringList{"@FV", "@MO"} << QList<int>{3, 9};
    QTest::newRow("command in pieces")
        << QByteArrayList{"@C", "H0", "A\r", "\n"} << QStringList{"@CH0A"} << QList<int>{5};
    QTest::newRow("overlong line") << QByteArrayList{QByteArray(300, 'A') + "\r\n"}
                                   << QStringList{QString(256, 'A')} << QList<int>{301};
}

void TestSimModule::lineEnds()
{
    QFETCH(QByteArrayList, reads);
    QFETCH(QStringList, commands);
    QFETCH(QList<int>, completedAt);

    kvtsim::LineAssembler assembler;
    QStringList seen;
    QList<int> seenAt;
    const auto take = [&seen, &seenAt](const std::optional<kvtsim::ReceivedLine> &line) {
        if (line) {
            seen << QString::fromStdString(line->command);
            seenAt << int(line->at.time_since_epoch() / milliseconds(1));
        }
    };
    int index = 0;
    for (const QByteArray &read : reads) {
        for (const char byte : read) {
            take(assembler.push(byte, Clock::time_point(milliseconds(index++))));
        }
        take(assembler.endOfInput());
    }

    QCOMPARE(seen, commands);
    QCOMPARE(seenAt, completedAt);
}

void TestSimModule::wireDelivery_data()
{
    QTest::addColumn<int>("delivery");
    QTest::addColumn<int>("latencyMs");
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("pieces");
    using kvtsim::Delivery;
    // Two replies of 8 bytes back to back: 4.2 ms of wire at 19200 baud.
    QTest::newRow("bytes") << int(Delivery::Bytes) << 0 << 19200 << 16;
    QTest::newRow("a reply at once") << int(Delivery::Reply) << 0 << 19200 << 2;
    QTest::newRow("reply, unpaced") << int(Delivery::Reply) << 0 << 0 << 2;
    QTest::newRow("timer longer than both") << int(Delivery::LatencyTimer) << 16 << 19200 << 1;
    // A byte every 0.52 ms: the timer started by one byte takes the next one too.
    QTest::newRow("1 ms timer") << int(Delivery::LatencyTimer) << 1 << 19200 << 8;
}

void TestSimModule::wireDelivery()
{
    QFETCH(int, delivery);
    QFETCH(int, latencyMs);
    QFETCH(int, baud);
    kvtsim::WireFaults faults;
    faults.delivery = kvtsim::Delivery(delivery);
    faults.latency = milliseconds(latencyMs);
    faults.baud = baud;
    kvtsim::OutboundWire wire(faults, 1);
    const Clock::time_point start{};
    const std::string bytes = "*RS=A4\r\n*RS=9F\r\n";
    wire.send({bytes.substr(0, 8), true}, start);
    wire.send({bytes.substr(8), true}, start);

    const Clock::duration perByte = baud > 0 ? kvtsim::byteDuration(baud) : Clock::duration{};
    std::string delivered;
    std::vector<std::string> replies;
    int pieces = 0;
    Clock::time_point lastDue = start;
    while (const std::optional<Clock::time_point> due = wire.nextDue()) {
        const std::string piece(wire.dueBytes());
        const auto firstIn = start + perByte * long(delivered.size() + 1);
        const auto lastIn = start + perByte * long(delivered.size() + piece.size());
        // Never before its bytes are off the wire, never held past the timer, and in order.
        QVERIFY(*due >= lastIn && *due >= lastDue);
        QVERIFY(*due <= std::max(lastIn, firstIn + faults.latency));
        lastDue = *due;
        delivered += piece;
        ++pieces;
        for (const kvtsim::Reply &reply : wire.consume(piece.size())) {
            replies.push_back(reply.bytes);
        }
    }
    QCOMPARE(delivered, bytes);
    QCOMPARE(replies, (std::vector<std::string>{bytes.substr(0, 8), bytes.substr(8)}));
    QTEST(pieces, "pieces");
    QCOMPARE(wire.pendingBytes(), std::size_t{0});
}

void TestSimModule::rejectsBadOptions_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("channel below") << QStringList{"--carrier", "6:-80"};
    QTest::newRow("channel above") << QStringList{"--carrier", "47:-80"};
    QTest::newRow("carrier without level") << QStringList{"--carrier", "10"};
    QTest::newRow("duty above one") << QStringList{"--carrier", "10:-80:1.5"};
    QTest::newRow("carrier trailing text") << QStringList{"--carrier", "10:-80dBm"};
    QTest::newRow("one-digit mode") << QStringList{"--mode", "1"};
    QTest::newRow("hang up at once") << QStringList{"--hangup-after", "0"};
    QTest::newRow("word seed") << QStringList{"--seed", "x"};
    QTest::newRow("two-line model") << QStringList{"--model", "KVT-318M\r\nX"};
    QTest::newRow("unknown") << QStringList{"--bogus"};
    QTest::newRow("missing value") << QStringList{"--delay-ms"};
    QTest::newRow("value on a switch") << QStringList{"--split=1"};
    QTest::newRow("blank before number") << QStringList{"--noise", " -100"};
    QTest::newRow("not a number") << QStringList{"--jitter", "nan"};
    QTest::newRow("positional") << QStringList{"/dev/ttyS0"};
    QTest::newRow("latency timer of 0") << QStringList{"--packets", "0"};
    QTest::newRow("latency timer past 16") << QStringList{"--packets", "17"};
    QTest::newRow("packets of a word") << QStringList{"--packets", "line"};
}

void TestSimModule::rejectsBadOptions()
{
    QFETCH(QStringList, args);
    std::vector<std::string> list;
    for (const QString &arg : args) {
        list.push_back(arg.toStdString());
    }
    const kvtsim::ParseOutcome outcome = kvtsim::parseOptions(list);
    QCOMPARE(outcome.action, kvtsim::ParseOutcome::Action::Fail);
    QVERIFY(!outcome.error.empty());
}

QTEST_APPLESS_MAIN(TestSimModule)

#include "tst_simmodule.moc"
