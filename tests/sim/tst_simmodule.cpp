#include "module-sim/bandscene.h"
#include "module-sim/lineassembler.h"
#include "module-sim/outboundwire.h"
#include "module-sim/simoptions.h"
#include "module-sim/wiretiming.h"

#include <QTest>

#include <cmath>
#include <numeric>

using kvtsim::Clock;
using std::chrono::milliseconds;

class TestSimModule : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void airMonitorSamplesReduceJitter();
    void carrierDuty_data();
    void carrierDuty();
    void lineEnds_data();
    void lineEnds();
    void wireFaults_data();
    void wireFaults();
    void rejectsBadOptions_data();
    void rejectsBadOptions();
};

void TestSimModule::airMonitorSamplesReduceJitter()
{
    constexpr int kReadings = 400;
    const auto spread = [](int samples) {
        kvtsim::BandScene scene(-120.0, 2.0, {}, 42);
        std::vector<int> values;
        for (int i = 0; i < kReadings; ++i) {
            values.push_back(scene.reading(10, samples, Clock::duration::zero()));
        }
        const double mean = std::accumulate(values.begin(), values.end(), 0.0) / kReadings;
        double sum = 0.0;
        for (const int value : values) {
            sum += (value - mean) * (value - mean);
        }
        return std::sqrt(sum / kReadings);
    };

    const double single = spread(1);
    const double averaged = spread(64);
    QVERIFY2(single > 1.0, qPrintable(QString::number(single)));
    QVERIFY2(averaged < single / 3.0, qPrintable(QString("%1 vs %2").arg(averaged).arg(single)));
}

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

void TestSimModule::wireFaults_data()
{
    QTest::addColumn<bool>("split");
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("garbage");

    QTest::newRow("split") << true << 0 << 0 << 0;
    QTest::newRow("delay") << false << 40 << 0 << 0;
    QTest::newRow("baud") << false << 0 << 19200 << 0;
    // Enough bytes that a stray '*' would all but surely turn up.
    QTest::newRow("garbage") << false << 0 << 0 << 3000;
    QTest::newRow("everything") << true << 15 << 9600 << 3;
}

void TestSimModule::wireFaults()
{
    QFETCH(bool, split);
    QFETCH(int, delayMs);
    QFETCH(int, baud);
    QFETCH(int, garbage);

    const kvtsim::WireFaults faults{split, milliseconds(delayMs), baud, garbage};
    kvtsim::OutboundWire wire(faults, 5);
    const Clock::time_point ready{std::chrono::seconds(100)};
    const std::vector<std::string> replies = {"*RA=-085dBm\r\n", "*CH=0B\r\n"};
    for (const std::string &reply : replies) {
        wire.send({reply, false}, ready);
    }

    std::string sent;
    std::vector<std::string> completed;
    int pieces = 0;
    Clock::time_point previousDue = ready + faults.delay;
    Clock::time_point firstReplyDone{};
    while (const auto due = wire.nextDue()) {
        QVERIFY(*due >= previousDue);
        previousDue = *due;
        const std::string piece(wire.dueBytes());
        sent += piece;
        ++pieces;
        if (const auto reply = wire.consume(piece.size())) {
            completed.push_back(reply->bytes);
            firstReplyDone = completed.size() == 1 ? *due : firstReplyDone;
        }
    }

    QCOMPARE(completed.size(), replies.size());
    QCOMPARE(sent, completed[0] + completed[1]);
    for (std::size_t i = 0; i < replies.size(); ++i) {
        // The reply follows its garbage, which holds no '*' to fake a reply with.
        QCOMPARE(completed[i].find('*'), std::size_t(garbage));
        QCOMPARE(completed[i].substr(std::size_t(garbage)), replies[i]);
    }
    if (split) {
        // Chunks hold at most four bytes.
        QVERIFY(pieces * 4 >= int(sent.size()) && pieces > 2);
    }
    if (baud > 0) {
        const auto wireTime = kvtsim::byteDuration(baud) * long(replies[0].size() + garbage);
        QVERIFY(firstReplyDone >= ready + faults.delay + wireTime);
    } else if (!split) {
        QCOMPARE(firstReplyDone, ready + faults.delay);
    }
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
