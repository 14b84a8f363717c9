#include "scriptedlink.h"

#include "engine/protocol/sweepengine.h"

#include <QtTest>

#include <chrono>

using namespace std::chrono_literals;
using Kind = StopReason::Kind;

namespace {

using Clock = std::chrono::steady_clock;

const QByteArray kKvt("KVT-318M\r\n");
const QByteArray kFsk("*MO=01\r\n");
const QByteArray kLora("*MO=03\r\n");
const QByteArray kAir("*MO=04\r\n");
const QString kCom3 = QStringLiteral("COM3");
#ifdef Q_OS_WIN
const QString kCom3Device = kCom3;
#else
const QString kCom3Device = QStringLiteral("/dev/ttyS2");
#endif
constexpr int kRunsOn = -1; // no stop
// What ends a run in stopReasons().
enum Fault { None, OpenFails, WriteFails, Unplugged, Silent, StopRequested, StoppedAtOnce };
constexpr qint16 kNoReading = MonitorState::kNoReading;

// An engine on a scripted port; every command and receive event is logged with its time.
struct Rig
{
    ScriptedLink *link = new ScriptedLink;
    SweepEngine engine{std::unique_ptr<SerialLink>(link)};
    QSignalSpy stops{&engine, &SweepEngine::stopped};
    QSignalSpy starts{&engine, &SweepEngine::started};
    QSignalSpy stored{&engine, &SweepEngine::readingStored};
    QList<Clock::time_point> sentAt;
    QString received;
    Clock::time_point receivedAt;

    Rig()
    {
        QObject::connect(&engine, &SweepEngine::commandSent, &engine,
                         [this] { sentAt.append(Clock::now()); });
        QObject::connect(&engine, &SweepEngine::received, &engine, [this](const QString &text) {
            received = text;
            receivedAt = Clock::now();
        });
    }
    // Starts on COM3 with the module answering `identity` and `mode`; true once connected.
    bool connect(const QByteArray &identity, const QByteArray &mode,
                 const SweepOptions &options = {})
    {
        link->replies = {identity, mode};
        engine.start(kCom3, options);
        return QTest::qWaitFor([this] { return engine.state() != SweepEngine::State::Connecting; });
    }
    QByteArray last() const { return link->written.last().chopped(2); }
    qint16 rssi(int index) const { return engine.monitorState().latest.at(std::size_t(index)); }
    qint16 max(int index) const { return engine.monitorState().highest.at(std::size_t(index)); }
    StopReason stop() const { return stops.last().at(0).value<StopReason>(); }
    bool idle() const { return !link->isOpen() && engine.state() == SweepEngine::State::Idle; }
};

QRegularExpression startsWith(const QString &text)
{
    return QRegularExpression(QLatin1Char('^') + QRegularExpression::escape(text));
}

int modeBits(RadioModes modes)
{
    int bits = 0;
    for (const RadioMode mode : kRadioModes) {
        bits |= modes.contains(mode) ? 1 << int(mode) : 0;
    }
    return bits;
}

} // namespace

class TestSweepEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void connectSequence_data()
    {
        QTest::addColumn<QByteArray>("identity");
        QTest::addColumn<QByteArray>("mode");
        QTest::addColumn<QString>("aveN");
        QTest::addColumn<bool>("stopOnUnknownMode");
        QTest::addColumn<QByteArrayList>("commands");
        QTest::addColumn<int>("stop");
        QTest::addColumn<QString>("detail"); // of the stop, or the identification
        QTest::addColumn<int>("modes");      // bit per mode: 1 FSK, 2 LoRa, 4 Air Monitor
        const QByteArray kvt("@FV KVT-318M\r\n");
        const QByteArrayList asked{"@FV", "@MO"};
        auto row = [&](const char *name, const QByteArray &identity, const QByteArray &mode,
                       const QByteArrayList &commands, int stop, const QString &detail,
                       int modes = 0, const QString &aveN = QStringLiteral("08"),
                       bool stopOnUnknownMode = false) {
            QTest::newRow(name) << identity << mode << aveN << stopOnUnknownMode << commands << stop
                                << detail << modes;
        };
        const QString id = QStringLiteral("@FV KVT-318M");
        row("KVT-318M, FSK", kvt, kFsk, asked + QByteArrayList{"@CH07"}, kRunsOn, id, 1);
        row("PVT-318, LoRa", "PVT-318\r\n", "*MO=03", asked + QByteArrayList{"@CH07"}, kRunsOn,
            "PVT-318", 2);
        row("Air Monitor", kvt, "x*MO=04\r\n", asked + QByteArrayList{"@AM0708"}, kRunsOn, id, 4);
        row("both kinds", kvt, "*MO=04*MO=01", asked + QByteArrayList{"@CH07", "@AM0708"}, kRunsOn,
            id, 5);
        row("sample count as typed", kvt, kAir, asked + QByteArrayList{"@AM07\xef\xbc\x91 x"},
            kRunsOn, id, 4, QStringLiteral("１ x"));
        row("unknown mode idles", kvt, "*MO=02\r\n", asked, kRunsOn, id);
        row("no mode reply idles", kvt, "", asked, kRunsOn, id);
        row("unknown mode stops when asked to", kvt, "*MO=02\r\n", asked,
            int(Kind::UnsupportedMode), "*MO=02", 0, "08", true);
        row("unsupported", "XYZ-1\r\n", kFsk, {"@FV"}, int(Kind::UnsupportedModel), "XYZ-1");
        row("no line end", "KVT-318M", kFsk, {"@FV"}, int(Kind::NoAnswer), "KVT-318M");
        row("line end too early", "\r\nKVT-318M", kFsk, {"@FV"}, int(Kind::NoAnswer), "KVT-318M");
        row("no reply", "", kFsk, {"@FV"}, int(Kind::NoAnswer), "");
    }

    void connectSequence()
    {
        QFETCH(QByteArray, identity);
        QFETCH(QByteArray, mode);
        QFETCH(QString, aveN);
        QFETCH(bool, stopOnUnknownMode);
        QFETCH(int, stop);
        QFETCH(QString, detail);
        Rig rig;
        rig.engine.setCursorChannel(12); // the first reading is on index 0 all the same
        SweepOptions options;
        options.sampleCount = aveN;
        options.cursorOnly = true;
        options.stopOnUnknownMode = stopOnUnknownMode;
        QVERIFY(rig.connect(identity, mode, options));

        QByteArrayList lines;
        for (const QByteArray &line : rig.link->written) {
            QVERIFY(line.endsWith("\r\n"));
            lines.append(line.chopped(2));
        }
        QTEST(lines, "commands");
        QCOMPARE(rig.link->selectedPort, kCom3Device);
        // One step a tick: the module had a whole interval to answer each question.
        QVERIFY(lines.size() < 2 || rig.sentAt[1] - rig.sentAt[0] >= 80ms);
        QVERIFY(lines.size() < 3 || rig.sentAt[2] - rig.sentAt[1] >= 160ms);
        QTEST(modeBits(rig.engine.modes()), "modes");
        QCOMPARE(rig.idle(), stop != kRunsOn);
        QCOMPARE(rig.starts.size() + rig.stops.size(), 1);
        if (stop == kRunsOn) {
            QTEST(modeBits(rig.starts.at(0).at(0).value<RadioModes>()), "modes");
            QCOMPARE(rig.starts.at(0).at(1).toString(), detail);
        } else {
            QCOMPARE(int(rig.stop().kind), stop);
            QCOMPARE(rig.stop().detail, detail);
        }
    }

    void readingsReachTheSweep_data()
    {
        QTest::addColumn<QByteArray>("mode");
        QTest::addColumn<QByteArrayList>("chunks");
        QTest::addColumn<int>("value");
        auto row = [](const QByteArray &mode, const char *name, const QByteArrayList &chunks,
                      int value) { QTest::newRow(name) << mode << chunks << value; };
        row(kFsk, "split", {"*RA=-0", "85dBm", "\r\n"}, -85);
        row(kLora, "leading text, half to even", {"\xff?*RA=", "-85.5dBm\r\n"}, -86);
        row(kFsk, "half to even, up", {"*RA=-84.5dBm\r\n"}, -84);
        row(kFsk, "unit split", {"*RA=-85d", "Bm\r", "\n"}, -85);
        row(kFsk, "just over a half", {"*RA=-84.5001dBm\r\n"}, -85);
        row(kFsk, "empty value", {"*RA=dBm\r\n"}, 0);
        row(kFsk, "blanks anywhere", {"*RA= \t- 7\n5dBm\r\n"}, -75);
        row(kFsk, "stops at a letter", {"*RA=-6x5dBm\r\n"}, -6);
        row(kFsk, "second point stops", {"*RA=1.5.9dBm\r\n"}, 2);
        row(kFsk, "exponent", {"*RA=-0.125E3dBm\r\n"}, -125);
        row(kFsk, "vanishing exponent", {"*RA=5e-400dBm\r\n"}, 0);
        row(kFsk, "above 16 bits", {"*RA=99999dBm\r\n"}, 32767);
        row(kFsk, "rounds below 16 bits", {"*RA=-32768.6dBm\r\n"}, -32768);
        row(kFsk, "exponent overflow", {"*RA=-1e99999999999999999999dBm\r\n"}, -32768);
        row(kAir, "split", {"*RS=A", "4"}, -92);
        row(kAir, "tag split, behind the last line end", {"\r\n*R", "S=", "A", "4\r\n"}, -92);
        row(kAir, "lower case", {"*RS=ff\r\n"}, -1);
        row(kAir, "stops at non-hex", {"*RS=4Z"}, -252);
        row(kAir, "leading text, no digit", {"zz*RS=Z4\r\n"}, -256);
        QByteArray flood;
        for (int i = 0; i < 5000; ++i) {
            flood.append(char(i % 256));
        }
        row(kAir, "a flood keeps its newest bytes", {flood, "*RS=A4"}, -92);
    }

    void readingsReachTheSweep()
    {
        QFETCH(QByteArray, mode);
        QFETCH(QByteArrayList, chunks);
        QFETCH(int, value);
        Rig rig;
        QVERIFY(rig.connect(kKvt, mode));
        if (mode != kAir) {
            // "@RA" waits for the channel reply's line end, then out the pause.
            rig.link->feed("noise*CH=07");
            QCOMPARE(rig.last(), QByteArray("@CH07"));
            QCOMPARE(rig.link->readThreshold, 2);
            rig.link->feed("\r\n");
            QCOMPARE(rig.last(), QByteArray("@RA"));
            QVERIFY(rig.sentAt.last() - rig.receivedAt >= 20ms);
            QCOMPARE(rig.received, QStringLiteral("noise*CH=07\r\n"));
        }
        const qsizetype sent = rig.link->written.size();
        qsizetype toCome = chunks.join().size();
        for (const QByteArray &chunk : chunks) {
            QCOMPARE(rig.link->written.size(), sent);
            QCOMPARE(rig.rssi(0), kNoReading);
            // A port told to wait for more than the rest of the reply would never report it.
            QVERIFY(rig.link->readThreshold >= 1 && rig.link->readThreshold <= toCome);
            rig.link->feed(chunk);
            toCome -= chunk.size();
        }
        // Each command empties the receive buffer: it holds the answer alone, 4096 bytes at most.
        QCOMPARE(rig.received, QString::fromLatin1(chunks.join().right(4096)));
        QCOMPARE(int(rig.rssi(0)), value);
        QCOMPARE(int(rig.max(0)), qMax(int(kNoReading), value));
        QCOMPARE(rig.stored.size(), 1);
        const auto reading = rig.stored.at(0).at(0).value<Reading>();
        QCOMPARE(reading.index, 0);
        QCOMPARE(int(reading.dbm), value);
        QCOMPARE(reading.mode, mode == kAir   ? RadioMode::AirMonitor
                               : mode == kFsk ? RadioMode::Fsk
                                              : RadioMode::LoRa);
        QCOMPARE(rig.link->written.size(), sent + 1);
        QVERIFY(rig.last().endsWith(mode == kAir ? "0808" : "08"));
    }

    void sweepWrapsAndFollowsCursor()
    {
        Rig rig;
        QVERIFY(rig.connect(kKvt, kAir));
        for (int channel = 0; channel < 39; ++channel) {
            rig.link->feed("*RS=A4\r\n");
        }
        QCOMPARE(rig.last(), QByteArray("@AM2E08"));
        rig.link->feed("*RS=80\r\n");
        QCOMPARE(rig.last(), QByteArray("@AM0708"));
        QCOMPARE(rig.stored.last().at(0).value<Reading>().index, 39);

        rig.engine.setCursorOnly(true);
        rig.engine.setCursorChannel(12);
        rig.link->feed("*RS=10\r\n"); // answers the command already in flight, for index 0
        QCOMPARE(rig.rssi(0), qint16(-240));
        QCOMPARE(rig.max(0), qint16(-92));
        QCOMPARE(rig.last(), QByteArray("@AM1308"));
        rig.link->feed("*RS=90\r\n");
        QCOMPARE(rig.rssi(12), qint16(-112));
        QCOMPARE(rig.rssi(1), qint16(-92));
        QCOMPARE(rig.last(), QByteArray("@AM1308"));
        rig.engine.setCursorOnly(false); // the sweep resumes behind the channel measured last
        rig.link->feed("*RS=A4\r\n");
        QCOMPARE(rig.last(), QByteArray("@AM1408"));
        rig.engine.setCursorOnly(true);
        rig.engine.setCursorChannel(std::nullopt);
        rig.link->feed("*RS=A4\r\n");
        QCOMPARE(rig.last(), QByteArray("@AM1508"));

        // A mode turned on by hand reads the next reply its way.
        rig.engine.setMode(RadioMode::Fsk, true);
        rig.link->feed("*RA=-50dBm\r\n");
        QCOMPARE(rig.rssi(14), qint16(-50));
        QCOMPARE(rig.stored.last().at(0).value<Reading>().mode, RadioMode::Fsk);
        QCOMPARE(rig.last(), QByteArray("@CH16"));
    }

    void stopReasons_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<int>("fault");
        QTest::addColumn<bool>("sweeping");
        QTest::addColumn<int>("stop");
        const auto row = [](const char *name, const QString &port, int fault, bool sweeping,
                            int stop) { QTest::newRow(name) << port << fault << sweeping << stop; };
        const int openFailed = int(Kind::PortOpenFailed);
        const int portFailed = int(Kind::PortFailed);
        row("empty port", "", int(None), false, openFailed);
        row("too short", "COM", int(None), false, openFailed);
        row("not a number", "COMx", int(None), false, openFailed);
        row("port zero", "COM0", int(None), false, openFailed);
        row("out of range", "COM99999", int(None), false, openFailed);
        row("no such device", "/dev/ttyKVT-absent", int(OpenFails), false, openFailed);
        row("write while connecting", kCom3, int(WriteFails), false, portFailed);
        row("write while sweeping", kCom3, int(WriteFails), true, portFailed);
        row("unplugged while connecting", kCom3, int(Unplugged), false, portFailed);
        row("unplugged while sweeping", kCom3, int(Unplugged), true, portFailed);
        row("silent past the stall time-out", kCom3, int(Silent), true, int(Kind::Stalled));
        row("stop requested", kCom3, int(StopRequested), true, int(Kind::UserStop));
        row("stopped at once", kCom3, int(StoppedAtOnce), true, int(Kind::UserStop));
    }

    void stopReasons()
    {
        QFETCH(QString, port);
        QFETCH(int, fault);
        QFETCH(bool, sweeping);
        QFETCH(int, stop);
        Rig rig;
        rig.link->failOpen = fault == OpenFails;
        SweepOptions options;
        options.stallTimeout = 200ms;
        const QString absent =
            QStringLiteral("/dev/ttyKVT-absent: no such device (unplugged, or a wrong port name)");
        if (stop == int(Kind::PortOpenFailed)) {
            // The reason goes to standard error too.
            QTest::ignoreMessage(QtWarningMsg,
                                 startsWith(fault == OpenFails ? absent : '\'' + port + '\''));
        }
        if (sweeping) {
            QVERIFY(rig.connect(kKvt, kAir, options));
        } else {
            rig.engine.start(port, options);
        }
        rig.link->failWrite = fault == WriteFails;
        if (fault == WriteFails) {
            rig.link->feed("*RS=A4\r\n");
        } else if (fault == Unplugged) {
            rig.link->breakLine();
        } else if (fault == StoppedAtOnce) {
            rig.engine.stop();
        } else if (fault == StopRequested) {
            // No reply is read after the request, but for a mode turned on again by hand, and
            // no further channel is asked for; the port closes when the stop is completed.
            rig.engine.requestStop();
            QCOMPARE(modeBits(rig.engine.modes()), 0);
            rig.engine.setMode(RadioMode::AirMonitor, true);
            const qsizetype sent = rig.link->written.size();
            rig.link->feed("*RS=A4\r\n");
            QCOMPARE(rig.rssi(0), qint16(-92));
            QCOMPARE(rig.link->written.size(), sent);
            QVERIFY(rig.stops.isEmpty() && rig.link->isOpen());
            rig.engine.completeStopRequest();
        }
        QTRY_COMPARE(rig.stops.size(), 1);
        QCOMPARE(int(rig.stop().kind), stop);
        QVERIFY(rig.idle());
        if (stop == int(Kind::PortOpenFailed)) {
            QCOMPARE(rig.link->selectedPort.isEmpty(), fault == None);
            QCOMPARE(rig.stop().openFailure.kind, PortOpenFailureKind::NoSuchDevice);
            QVERIFY(fault == None || rig.stop().openFailure.reason == absent);
        }
        // Once stopped, a port that keeps reporting its fault changes nothing.
        rig.link->breakLine();
        QCOMPARE(rig.stops.size(), 1);
        // A new run forgets the modes and readings of the last one.
        rig.engine.setMode(RadioMode::Fsk, true);
        rig.link->failOpen = false;
        rig.engine.start(kCom3, options);
        QCOMPARE(modeBits(rig.engine.modes()), 0);
        QCOMPARE(rig.rssi(0), kNoReading);
        QCOMPARE(rig.max(0), kNoReading);
    }
};

QTEST_MAIN(TestSweepEngine)
#include "tst_sweepengine.moc"
