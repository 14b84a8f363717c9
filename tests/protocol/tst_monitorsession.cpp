#include "fakemonitorview.h"
#include "scriptedlink.h"

#include "engine/protocol/monitorsession.h"
#include "engine/protocol/texts.h"

#include <QTimer>
#include <QtTest>

using namespace std::chrono_literals;

namespace {

const QByteArray kKvt("KVT-318M\r\n");
const QByteArray kFsk("*MO=01\r\n");
const QByteArray kLora("*MO=03\r\n");
const QByteArray kAir("*MO=04\r\n");
#ifdef Q_OS_WIN
const QString kCom3 = QStringLiteral("COM3");
#else
const QString kCom3 = QStringLiteral("/dev/ttyS2");
#endif

// A session on a scripted port, with the channel plan and readings the window loads.
struct Rig
{
    MonitorState state;
    FakeMonitorView view{state};
    ScriptedLink link;
    MonitorSession session{state, view, link};

    Rig()
    {
        state.chStart = 7;
        state.chMax = 39;
        state.rssi.fill(MonitorState::kNoReading);
        state.rssiMax.fill(MonitorState::kNoReading);
    }
    // A tick as StartTimer delivers it: only while the timer runs.
    void tick()
    {
        if (session.startStepTimer()->isActive()) {
            session.StartTimer_Timer();
        }
    }
    // Extra ticks after the mode reply show that nothing more is asked.
    void connect(const QByteArray &identity, const QByteArray &mode)
    {
        session.Command1_Click();
        for (const QByteArray &reply : {identity, mode}) {
            tick();
            link.feed(reply);
        }
        tick();
        tick();
    }
    QByteArray last() const { return link.written.last().chopped(2); }
    bool idle() const
    {
        return !link.isOpen() && view.caption == texts::buttonStopped() &&
               view.portControlsEnabled && view.sampleCountEnabled &&
               !session.startStepTimer()->isActive();
    }
};

} // namespace

class TestMonitorSession : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void connectSequence_data()
    {
        QTest::addColumn<QByteArray>("identity");
        QTest::addColumn<QByteArray>("mode");
        QTest::addColumn<QString>("aveN");
        QTest::addColumn<QByteArrayList>("commands");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("boxes"); // bit per mode box: 1 FSK, 2 LoRa, 4 Air Monitor
        const QByteArray kvt("@FV KVT-318M\r\n");
        const QByteArrayList asked{"@FV", "@MO"};
        auto row = [&](const char *name, const QByteArray &identity, const QByteArray &mode,
                       const QByteArrayList &commands, const QString &message = QString(),
                       int boxes = 0, const QString &aveN = QStringLiteral("08")) {
            QTest::newRow(name) << identity << mode << aveN << commands << message << boxes;
        };
        row("KVT-318M, FSK", kvt, kFsk, asked + QByteArrayList{"@CH07"}, {}, 1);
        row("PVT-318, LoRa", "PVT-318\r\n", "*MO=03", asked + QByteArrayList{"@CH07"}, {}, 2);
        row("Air Monitor", kvt, "x*MO=04\r\n", asked + QByteArrayList{"@AM0708"}, {}, 4);
        row("both kinds", kvt, "*MO=04*MO=01", asked + QByteArrayList{"@CH07", "@AM0708"}, {}, 5);
        row("sample count as typed", kvt, kAir, asked + QByteArrayList{"@AM07\xef\xbc\x91 x"}, {},
            4, QStringLiteral("１ x"));
        row("unknown mode idles", kvt, "*MO=02\r\n", asked);
        row("no mode reply idles", kvt, "", asked);
        row("unsupported", "XYZ-1\r\n", kFsk, {"@FV"}, texts::unsupportedDevice());
        row("no line end", "KVT-318M", kFsk, {"@FV"}, texts::noResponse());
        row("line end too early", "\r\nKVT-318M", kFsk, {"@FV"}, texts::noResponse());
        row("no reply", "", kFsk, {"@FV"}, texts::noResponse());
    }

    void connectSequence()
    {
        QFETCH(QByteArray, identity);
        QFETCH(QByteArray, mode);
        QFETCH(QString, aveN);
        QFETCH(QByteArrayList, commands);
        QFETCH(QString, message);
        QFETCH(int, boxes);
        Rig rig;
        rig.view.aveN = aveN;
        rig.view.cursorOnly = true; // the first reading is on index 0 all the same
        rig.state.cursorCh = 12;
        rig.connect(identity, mode);

        QByteArrayList lines;
        for (const QByteArray &line : rig.link.written) {
            QVERIFY(line.endsWith("\r\n"));
            lines.append(line.chopped(2));
        }
        QCOMPARE(lines, commands);
        QCOMPARE(rig.view.message, message);
        QCOMPARE(rig.view.modes,
                 (std::array<bool, 3>{bool(boxes & 1), bool(boxes & 2), bool(boxes & 4)}));
        for (const FakeMonitorView::Sent &sent : rig.view.sent) {
            QVERIFY(sent.rxBuf.isEmpty());
        }
        QCOMPARE(rig.idle(), !message.isEmpty());
        if (message.isEmpty()) {
            QCOMPARE(rig.view.caption, texts::buttonStarted());
            QCOMPARE(rig.session.startStepTimer()->isActive(), boxes == 0);
        }
    }

    void startRunsOnStartTimer()
    {
        Rig rig;
        QTimer *timer = rig.session.startStepTimer();
        QCOMPARE(timer->objectName(), QStringLiteral("StartTimer"));
        QCOMPARE(timer->intervalAsDuration(), 100ms);
        rig.view.modes.fill(true);
        rig.state.rssi.fill(-50);
        rig.state.rssiMax.fill(-40);
        rig.state.stopReq = 1;

        rig.session.Command1_Click();
        QVERIFY(rig.view.portListHidden);
        QCOMPARE(rig.view.modes, (std::array<bool, 3>{}));
        QCOMPARE(rig.link.selectedPort, kCom3);
        QCOMPARE(rig.view.caption, texts::buttonPreparing());
        QVERIFY(!rig.view.portControlsEnabled && !rig.view.sampleCountEnabled);
        QCOMPARE(rig.state.rssi[39], MonitorState::kNoReading);
        QCOMPARE(rig.state.rssiMax[0], MonitorState::kNoReading);
        QCOMPARE(rig.state.stopReq, 0);

        QTRY_COMPARE(rig.link.written.size(), 1);
        rig.link.feed(kKvt);
        QTRY_COMPARE(rig.link.written.size(), 2);
        rig.link.feed(kAir);
        QTRY_COMPARE(rig.link.written.size(), 3);
        QVERIFY(!timer->isActive());
        // One step a tick: the module had a whole interval to answer each question.
        QVERIFY(rig.view.sent[1].at - rig.view.sent[0].at >= 80ms);
        QVERIFY(rig.view.sent[2].at - rig.view.sent[1].at >= 160ms);
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
        row(kAir, "lower case", {"*RS=ff\r\n"}, -1);
        row(kAir, "stops at non-hex", {"*RS=4Z"}, -252);
        row(kAir, "leading text, no digit", {"zz*RS=Z4\r\n"}, -256);
    }

    void readingsReachTheSweep()
    {
        QFETCH(QByteArray, mode);
        QFETCH(QByteArrayList, chunks);
        QFETCH(int, value);
        Rig rig;
        rig.connect(kKvt, mode);
        if (mode != kAir) {
            // "@RA" waits for the channel reply's line end, then out the pause, with RxBuf
            // emptied.
            rig.link.feed("noise*CH=07");
            QCOMPARE(rig.last(), QByteArray("@CH07"));
            rig.link.feed("\r\n");
            QCOMPARE(rig.last(), QByteArray("@RA"));
            QVERIFY(rig.view.sent.last().at - rig.view.received.at >= 20ms);
            QVERIFY(rig.view.sent.last().rxBuf.isEmpty());
            QCOMPARE(rig.view.received.rxBuf, QStringLiteral("noise*CH=07\r\n"));
        }
        const qsizetype sent = rig.link.written.size();
        for (const QByteArray &chunk : chunks) {
            QCOMPARE(rig.link.written.size(), sent);
            QCOMPARE(rig.state.rssi[0], MonitorState::kNoReading);
            rig.link.feed(chunk);
        }
        QCOMPARE(int(rig.state.rssi[0]), value);
        QCOMPARE(int(rig.state.rssiMax[0]), qMax(int(MonitorState::kNoReading), value));
        QCOMPARE(rig.link.written.size(), sent + 1);
        QVERIFY(rig.last().endsWith(mode == kAir ? "0808" : "08"));
    }

    void sweepWrapsAndFollowsCursor()
    {
        Rig rig;
        rig.connect(kKvt, kAir);
        for (int channel = 0; channel < 39; ++channel) {
            rig.link.feed("*RS=A4\r\n");
        }
        QCOMPARE(rig.last(), QByteArray("@AM2E08"));
        rig.link.feed("*RS=80\r\n");
        QCOMPARE(rig.last(), QByteArray("@AM0708"));
        QCOMPARE(rig.view.marker, 39);

        rig.view.cursorOnly = true;
        rig.state.cursorCh = 12;
        rig.link.feed("*RS=10\r\n"); // answers the command already in flight, for index 0
        QCOMPARE(rig.state.rssi[0], qint16(-240));
        QCOMPARE(rig.state.rssiMax[0], qint16(-92));
        QCOMPARE(rig.last(), QByteArray("@AM1308"));
        rig.link.feed("*RS=90\r\n");
        QCOMPARE(rig.state.rssi[12], qint16(-112));
        QCOMPARE(rig.state.rssi[1], qint16(-92));
        QCOMPARE(rig.last(), QByteArray("@AM1308"));
        rig.view.cursorOnly = false; // the sweep resumes behind the channel measured last
        rig.link.feed("*RS=A4\r\n");
        QCOMPARE(rig.last(), QByteArray("@AM1408"));
        rig.view.cursorOnly = true;
        rig.state.cursorCh.reset();
        rig.link.feed("*RS=A4\r\n");
        QCOMPARE(rig.last(), QByteArray("@AM1508"));
    }

    void stopRequest_data()
    {
        QTest::addColumn<bool>("click");
        QTest::addColumn<int>("stored");
        QTest::newRow("click clears the boxes") << true << int(MonitorState::kNoReading);
        QTest::newRow("reading in flight, box checked") << false << -70;
    }

    void stopRequest()
    {
        QFETCH(bool, click);
        QFETCH(int, stored);
        Rig rig;
        rig.connect(kKvt, kFsk);
        rig.link.feed("*CH=07\r\n");
        if (click) {
            rig.session.Command1_Click();
        } else {
            rig.state.stopReq = 1;
        }
        QCOMPARE(rig.state.stopReq, 1);
        const qsizetype sent = rig.link.written.size();
        rig.link.feed("*RA=-70dBm\r\n");
        QCOMPARE(rig.link.written.size(), sent);
        QCOMPARE(int(rig.state.rssi[0]), stored);
        QCOMPARE(rig.state.rxBuf, QStringLiteral("*RA=-70dBm\r\n"));
        QVERIFY(rig.link.isOpen());

        rig.view.message = QStringLiteral("x");
        rig.session.completeStopRequest();
        QCOMPARE(rig.view.message, QString());
        QVERIFY(rig.idle());
        QCOMPARE(rig.state.stopReq, 0);
        // A start that fails after a stop keeps its message past the next refresh tick.
        rig.link.failOpen = true;
        rig.session.Command1_Click();
        rig.session.completeStopRequest();
        QCOMPARE(rig.view.message, texts::portFault());
    }

    void portFaults_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<int>("fault"); // 0 no such port, 1 open fails, 2 write fails, 3 unplugged
        QTest::addColumn<bool>("sweeping");
        QTest::newRow("empty port") << "" << 0 << false;
        QTest::newRow("too short") << "COM" << 0 << false;
        QTest::newRow("not a number") << "COMx" << 0 << false;
        QTest::newRow("port zero") << "COM0" << 0 << false;
        QTest::newRow("out of range") << "COM99999" << 0 << false;
        QTest::newRow("port in use") << "COM3" << 1 << false;
        QTest::newRow("write while connecting") << "COM3" << 2 << false;
        QTest::newRow("write while sweeping") << "COM3" << 2 << true;
        QTest::newRow("unplugged while connecting") << "COM3" << 3 << false;
        QTest::newRow("unplugged while sweeping") << "COM3" << 3 << true;
    }

    void portFaults()
    {
        QFETCH(QString, port);
        QFETCH(int, fault);
        QFETCH(bool, sweeping);
        Rig rig;
        rig.view.port = port;
        rig.link.failOpen = fault == 1;
        if (sweeping) {
            rig.connect(kKvt, kAir);
        } else {
            rig.session.Command1_Click();
        }
        QCOMPARE(rig.link.selectedPort.isEmpty(), fault == 0);
        rig.link.failWrite = fault == 2;
        if (fault == 3) {
            rig.link.breakLine();
        } else {
            rig.tick();
            rig.link.feed("*RS=A4\r\n");
        }
        QCOMPARE(rig.view.message, texts::portFault());
        QVERIFY(rig.idle());
        // Once stopped, a port that keeps reporting its fault changes nothing.
        rig.view.message.clear();
        rig.link.breakLine();
        QCOMPARE(rig.view.message, QString());
    }

    // The message stays as it was; the tool tip and standard error say why, until a start
    // succeeds.
    void openFailureReason()
    {
        const QString reason(
            QStringLiteral("/dev/ttyKVT-absent: no such device (unplugged, or a wrong port name)"));
        Rig rig;
        rig.view.port = QStringLiteral("/dev/ttyKVT-absent");
        rig.link.failOpen = true;
        QTest::ignoreMessage(QtWarningMsg, qPrintable(reason));
        rig.session.Command1_Click();
        QCOMPARE(rig.view.message, texts::portFault());
        QCOMPARE(rig.view.messageToolTip, reason);

        rig.link.failOpen = false;
        rig.session.Command1_Click();
        QVERIFY(rig.link.isOpen());
        QCOMPARE(rig.view.messageToolTip, QString());
    }

    void floodKeepsNewestBytes()
    {
        Rig rig;
        rig.connect(kKvt, kAir);
        QByteArray flood;
        for (int i = 0; i < 5000; ++i) {
            flood.append(char(i % 256));
        }
        rig.link.feed(flood);
        rig.link.feed("*RS=A4");
        const QByteArray newest = (flood + "*RS=A4").right(4096);
        QCOMPARE(rig.view.received.rxBuf, QString::fromLatin1(newest));
        QCOMPARE(rig.state.rssi[0], qint16(-92));
    }
};

QTEST_MAIN(TestMonitorSession)
#include "tst_monitorsession.moc"
