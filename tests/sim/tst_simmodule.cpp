#include "module-sim/bandscene.h"
#include "module-sim/lineassembler.h"
#include "module-sim/simoptions.h"

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
