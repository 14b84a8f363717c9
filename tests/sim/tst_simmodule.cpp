#include "module-sim/bandscene.h"
#include "module-sim/commandinterpreter.h"
#include "module-sim/lineassembler.h"
#include "module-sim/outboundwire.h"
#include "module-sim/simoptions.h"
#include "module-sim/trafficlog.h"
#include "module-sim/wiretiming.h"

#include <QTest>

#include <cmath>
#include <numeric>

using kvtsim::Clock;

namespace {

std::vector<std::string> toArgs(const QStringList &list)
{
    std::vector<std::string> args;
    for (const QString &arg : list) {
        args.push_back(arg.toStdString());
    }
    return args;
}

kvtsim::SimOptions optionsFrom(const QStringList &list)
{
    const kvtsim::ParseOutcome outcome = kvtsim::parseOptions(toArgs(list));
    if (outcome.action != kvtsim::ParseOutcome::Action::Run) {
        qFatal("bad options in test data: %s", outcome.error.c_str());
    }
    return outcome.options;
}

double spread(const std::vector<int> &values)
{
    const double mean = std::accumulate(values.begin(), values.end(), 0.0) / double(values.size());
    double sum = 0.0;
    for (const int value : values) {
        sum += (value - mean) * (value - mean);
    }
    return std::sqrt(sum / double(values.size()));
}

} // namespace

class TestSimModule : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void replies_data();
    void replies();
    void airMonitorSamplesReduceJitter();
    void carrierDuty_data();
    void carrierDuty();
    void lineEnds_data();
    void lineEnds();
    void wireFaults_data();
    void wireFaults();
    void rejectsBadOptions_data();
    void rejectsBadOptions();
    void readsGoodOptions();
    void escapesLogText_data();
    void escapesLogText();
};

void TestSimModule::replies_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("commands");
    // The reply to the last command; empty for silence.
    QTest::addColumn<QByteArray>("expected");

    const QStringList quiet = {"--jitter", "0", "--seed", "1"};
    QTest::newRow("model") << quiet << QStringList{"@FV"} << QByteArray("KVT-318M Ver1.00\r\n");
    QTest::newRow("other model") << quiet + QStringList{"--model", "PVT-318"} << QStringList{"@FV"}
                                 << QByteArray("PVT-318 Ver1.00\r\n");
    QTest::newRow("no id") << quiet + QStringList{"--no-id"} << QStringList{"@FV"} << QByteArray();
    QTest::newRow("mode") << quiet << QStringList{"@MO"} << QByteArray("*MO=01\r\n");
    QTest::newRow("air monitor mode")
        << quiet + QStringList{"--mode", "04"} << QStringList{"@MO"} << QByteArray("*MO=04\r\n");
    QTest::newRow("no mode") << quiet + QStringList{"--mode", "none"} << QStringList{"@MO"}
                             << QByteArray();
    QTest::newRow("first channel") << quiet << QStringList{"@CH07"} << QByteArray("*CH=07\r\n");
    QTest::newRow("last channel") << quiet << QStringList{"@CH2E"} << QByteArray("*CH=2E\r\n");
    QTest::newRow("rssi on carrier")
        << quiet + QStringList{"--carrier", "10:-85"} << QStringList{"@CH0A", "@RA"}
        << QByteArray("*RA=-085dBm\r\n");
    QTest::newRow("rssi beside carrier")
        << quiet + QStringList{"--carrier", "10:-85"} << QStringList{"@CH0B", "@RA"}
        << QByteArray("*RA=-120dBm\r\n");
    QTest::newRow("rssi positive") << quiet + QStringList{"--carrier", "46:5"}
                                   << QStringList{"@CH2E", "@RA"} << QByteArray("*RA=+005dBm\r\n");
    QTest::newRow("rssi before any channel") << quiet + QStringList{"--carrier", "7:-60"}
                                             << QStringList{"@RA"} << QByteArray("*RA=-060dBm\r\n");
    QTest::newRow("air monitor") << quiet + QStringList{"--carrier", "10:-92"}
                                 << QStringList{"@AM0A08"} << QByteArray("*RS=A4\r\n");
    QTest::newRow("air monitor clamps") << quiet + QStringList{"--carrier", "10:10"}
                                        << QStringList{"@AM0A1"} << QByteArray("*RS=FF\r\n");
    QTest::newRow("air monitor selects")
        << quiet + QStringList{"--carrier", "20:-70"} << QStringList{"@AM14255", "@RA"}
        << QByteArray("*RA=-070dBm\r\n");
    const QStringList malformed = {"@ch07",  "@CH06",  "@CH2F",     "@CH0a",   "@CH7",
                                   "@CH007", "@RA1",   "@FV ",      "@XX",     "",
                                   "@AM07",  "@AM070", "@AM071000", "@AM07x8", "@AM2F08"};
    for (const QString &command : malformed) {
        QTest::newRow(qPrintable("malformed '" + command + "'"))
            << quiet + QStringList{"--carrier", "7:-60"} << QStringList{"@CH07", command}
            << QByteArray("*ER\r\n");
    }
}

void TestSimModule::replies()
{
    QFETCH(QStringList, args);
    QFETCH(QStringList, commands);
    QFETCH(QByteArray, expected);

    const kvtsim::SimOptions options = optionsFrom(args);
    kvtsim::BandScene scene(options.noiseFloorDbm, options.jitterDb, options.carriers,
                            options.seed.value_or(0));
    kvtsim::CommandInterpreter interpreter(options, scene);
    std::optional<kvtsim::Reply> reply;
    for (const QString &command : commands) {
        reply = interpreter.handle(command.toStdString(), Clock::duration::zero());
    }

    QCOMPARE(reply.has_value(), !expected.isEmpty());
    if (reply) {
        QCOMPARE(QByteArray::fromStdString(reply->bytes), expected);
        // Only real readings count towards the stall and hang-up faults.
        QCOMPARE(reply->measurement, expected.startsWith("*RA=") || expected.startsWith("*RS="));
    }
}

void TestSimModule::airMonitorSamplesReduceJitter()
{
    constexpr int kReadings = 400;
    const auto readings = [](int samples) {
        kvtsim::BandScene scene(-120.0, 2.0, {}, 42);
        std::vector<int> values;
        values.reserve(kReadings);
        for (int i = 0; i < kReadings; ++i) {
            values.push_back(scene.reading(10, samples, Clock::duration::zero()));
        }
        return values;
    };

    const double single = spread(readings(1));
    const double averaged = spread(readings(64));
    QVERIFY2(single > 1.0, qPrintable(QString::number(single)));
    QVERIFY2(averaged < single / 3.0, qPrintable(QString("%1 vs %2").arg(averaged).arg(single)));
}

void TestSimModule::carrierDuty_data()
{
    QTest::addColumn<double>("duty");
    QTest::newRow("never") << 0.0;
    QTest::newRow("quarter") << 0.25;
    QTest::newRow("half") << 0.5;
    QTest::newRow("always") << 1.0;
}

void TestSimModule::carrierDuty()
{
    QFETCH(double, duty);
    constexpr auto kStep = std::chrono::milliseconds(5);
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
        const double meanRunMs = double(std::chrono::milliseconds(kSpan).count()) / (switches + 1);
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
    QTest::newRow("bare lf") << QByteArrayList{"@FV\n@MO\n"} << QStringList{"@FV", "@MO"}
                             << QList<int>{3, 7};
    QTest::newRow("lf in the next read")
        << QByteArrayList{"@FV\r", "\n@MO\r\n"} << QStringList{"@FV", "@MO"} << QList<int>{3, 9};
    QTest::newRow("command in pieces")
        << QByteArrayList{"@C", "H0", "A\r", "\n"} << QStringList{"@CH0A"} << QList<int>{5};
    QTest::newRow("empty line") << QByteArrayList{"\r\n"} << QStringList{""} << QList<int>{1};
    QTest::newRow("overlong line") << QByteArrayList{QByteArray(300, 'A') + "\r\n"}
                                   << QStringList{QString(256, 'A')} << QList<int>{301};
}

void TestSimModule::lineEnds()
{
    QFETCH(QByteArrayList, reads);
    QFETCH(QStringList, commands);
    QFETCH(QList<int>, completedAt);

    const Clock::time_point start{};
    const auto indexOf = [start](Clock::time_point at) {
        return int(std::chrono::duration_cast<std::chrono::milliseconds>(at - start).count());
    };
    kvtsim::LineAssembler assembler;
    QStringList seen;
    QList<int> seenAt;
    int index = 0;
    for (const QByteArray &read : reads) {
        for (const char byte : read) {
            const auto line = assembler.push(byte, start + std::chrono::milliseconds(index++));
            if (line) {
                seen << QString::fromStdString(line->command);
                seenAt << indexOf(line->at);
            }
        }
        if (const auto line = assembler.endOfInput()) {
            seen << QString::fromStdString(line->command);
            seenAt << indexOf(line->at);
        }
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

    QTest::newRow("plain") << false << 0 << 0 << 0;
    QTest::newRow("split") << true << 0 << 0 << 0;
    QTest::newRow("delay") << false << 40 << 0 << 0;
    QTest::newRow("baud") << false << 0 << 19200 << 0;
    QTest::newRow("garbage") << false << 0 << 0 << 7;
    QTest::newRow("everything") << true << 15 << 9600 << 3;
}

void TestSimModule::wireFaults()
{
    QFETCH(bool, split);
    QFETCH(int, delayMs);
    QFETCH(int, baud);
    QFETCH(int, garbage);

    kvtsim::WireFaults faults;
    faults.split = split;
    faults.delay = std::chrono::milliseconds(delayMs);
    faults.baud = baud;
    faults.garbageBytes = garbage;
    kvtsim::OutboundWire wire(faults, 5);
    const Clock::time_point ready{std::chrono::seconds(100)};
    const std::string first = "*RA=-085dBm\r\n";
    const std::string second = "*CH=0B\r\n";
    wire.send({first, true}, ready);
    wire.send({second, false}, ready);

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
            if (completed.size() == 1) {
                firstReplyDone = *due;
            }
        }
    }

    QCOMPARE(wire.pendingBytes(), std::size_t(0));
    QCOMPARE(int(completed.size()), 2);
    QCOMPARE(sent, completed[0] + completed[1]);
    for (const auto &[reply, text] : {std::pair{completed[0], first}, {completed[1], second}}) {
        QCOMPARE(reply.size(), text.size() + std::size_t(garbage));
        QCOMPARE(reply.substr(std::size_t(garbage)), text);
        QVERIFY(reply.substr(0, std::size_t(garbage)).find('*') == std::string::npos);
    }
    if (split) {
        // Chunks hold at most four bytes.
        QVERIFY(pieces * 4 >= int(sent.size()));
        QVERIFY(pieces > 2);
    }
    if (baud > 0) {
        const auto wireTime =
            kvtsim::byteDuration(baud) * long(first.size() + std::size_t(garbage));
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
    QTest::newRow("negative baud") << QStringList{"--baud", "-1"};
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
    const kvtsim::ParseOutcome outcome = kvtsim::parseOptions(toArgs(args));
    QCOMPARE(outcome.action, kvtsim::ParseOutcome::Action::Fail);
    QVERIFY(!outcome.error.empty());
}

void TestSimModule::readsGoodOptions()
{
    const kvtsim::SimOptions options =
        optionsFrom({"--carrier=46:-40.5:0.3", "--carrier", "7:-100", "--mode", "none", "--seed=7",
                     "--stall-after", "0", "--baud", "19200", "--model", ""});
    QCOMPARE(int(options.carriers.size()), 2);
    QCOMPARE(options.carriers[0].channel, 46);
    QCOMPARE(options.carriers[0].levelDbm, -40.5);
    QCOMPARE(options.carriers[0].duty, 0.3);
    QCOMPARE(options.carriers[1].duty, 1.0);
    QVERIFY(!options.modeCode);
    QCOMPARE(options.seed, std::optional<std::uint64_t>(7));
    QCOMPARE(options.stallAfter, std::optional<long long>(0));
    QCOMPARE(options.baud, 19200);
    QVERIFY(options.model.empty());
}

void TestSimModule::escapesLogText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("command") << QByteArray("@CH0A\r\n") << QString("@CH0A\\r\\n");
    QTest::newRow("control and high bytes")
        << QByteArray("\x00\x1f\x7f\xff", 4) << QString("\\x00\\x1F\\x7F\\xFF");
    QTest::newRow("backslash") << QByteArray("a\\rb") << QString("a\\\\rb");
}

void TestSimModule::escapesLogText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(kvtsim::escapeBytes(bytes.toStdString())), text);
}

QTEST_APPLESS_MAIN(TestSimModule)

#include "tst_simmodule.moc"
