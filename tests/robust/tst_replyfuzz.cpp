#include "../protocol/fakemonitorview.h"
#include "replynoise.h"
#include "scriptedlink.h"

#include "protocol/monitorsession.h"
#include "protocol/replyreception.h"

#include <QRegularExpression>
#include <QScopeGuard>
#include <QtTest>

#include <array>

namespace {

constexpr quint32 kDefaultSeed = 20240611;
constexpr int kPieces = 8000;
// The boxes change after this many pieces, so that every mode meets every kind of noise.
constexpr int kPiecesPerTurn = 250;

struct Boxes
{
    bool fsk = false;
    bool loRa = false;
    bool air = false;
};
constexpr std::array kTurns{Boxes{true, false, false}, Boxes{false, false, true},
                            Boxes{true, false, true}, Boxes{false, true, false},
                            Boxes{false, false, false}};

quint32 seedFromEnvironment()
{
    bool ok = false;
    const uint seed = qEnvironmentVariableIntValue("KVT_ROBUST_SEED", &ok);
    return ok ? static_cast<quint32>(seed) : kDefaultSeed;
}

// The reply grammar, written as patterns: a command must follow exactly when one of these
// stands complete in the (bounded) buffer of a mode whose box is checked.
const QRegularExpression kChannelSet(QStringLiteral("\\*CH=[\\s\\S]*\\r\\n"));
const QRegularExpression kRssi(QStringLiteral("\\*RA=[\\s\\S]*dBm\\r\\n"));
const QRegularExpression kAirRssi(QStringLiteral("\\*RS=[\\s\\S]{2}"));
// Everything the monitor may send during a sweep: the channel fields 07 to 2E only.
const QRegularExpression kSweepCommand(QStringLiteral(
    "^(@CH(0[7-9A-F]|1[0-9A-F]|2[0-9A-E])|@RA|@AM(0[7-9A-F]|1[0-9A-F]|2[0-9A-E])08)\\r\\n$"));

} // namespace

class TestReplyFuzz : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void noiseThroughReception();
};

void TestReplyFuzz::noiseThroughReception()
{
    const quint32 seed = seedFromEnvironment();
    qInfo() << "seed" << seed << "(KVT_ROBUST_SEED overrides it)";
    ReplyNoise noise(seed);

    MonitorState state;
    // The channel plan the window loads.
    state.chStart = 7;
    state.chMax = 39;
    state.rssi.fill(MonitorState::kNoReading);
    state.rssiMax.fill(MonitorState::kNoReading);
    FakeMonitorView view(state);
    ScriptedLink link;
    MonitorSession session(state, view, link);

    // A real connect: identification, mode, and the first measuring command.
    session.Command1_Click();
    session.StartTimer_Timer();
    link.feed("KVT-318M Ver1.00\r\n");
    session.StartTimer_Timer();
    link.feed("*MO=01\r\n");
    session.StartTimer_Timer();
    session.StartTimer_Timer();
    QCOMPARE(link.written.last(), QByteArray("@CH07\r\n"));

    QByteArray pending;
    QByteArray chunk;
    int feeds = 0;
    int pauses = 0;
    int readings = 0;
    const auto context = qScopeGuard([&] {
        if (QTest::currentTestFailed()) {
            qInfo() << "failed at feed" << feeds << "of chunk" << chunk.toHex();
        }
    });
    for (int piece = 0; piece < kPieces; ++piece) {
        if (piece % kPiecesPerTurn == 0) {
            const Boxes boxes =
                kTurns.at(static_cast<std::size_t>(piece / kPiecesPerTurn) % kTurns.size());
            view.modes = {boxes.fsk, boxes.loRa, boxes.air};
            view.cursorOnly = noise.random().bounded(2) == 0;
            state.cursorCh = static_cast<int>(noise.random().bounded(MonitorState::kChannelCount));
        }
        pending += noise.nextPiece();
        while (!pending.isEmpty()) {
            chunk = pending.left(noise.nextChunkSize());
            pending.remove(0, chunk.size());
            const QString before = state.rxBuf;
            const qsizetype sentBefore = link.written.size();
            link.feed(chunk);
            ++feeds;

            // The newest 4096 characters, one per byte, shown as they stood after the append.
            const QString shown =
                (before + QString::fromLatin1(chunk)).right(ReplyReception::kRxBufLimit);
            QVERIFY(view.received.rxBuf.size() <= ReplyReception::kRxBufLimit);
            QCOMPARE(view.received.rxBuf, shown);

            const bool fskOrLoRa = view.modes[0] || view.modes[1];
            const bool expectCommand = (fskOrLoRa && (kChannelSet.match(shown).hasMatch() ||
                                                      kRssi.match(shown).hasMatch())) ||
                                       (view.modes[2] && kAirRssi.match(shown).hasMatch());
            const bool sent = link.written.size() > sentBefore;
            QCOMPARE(sent, expectCommand);
            // RxBuf is emptied before every command; otherwise it is what was shown.
            QCOMPARE(state.rxBuf, sent ? QString() : shown);
            for (qsizetype i = sentBefore; i < link.written.size(); ++i) {
                QVERIFY2(kSweepCommand.match(QString::fromLatin1(link.written.at(i))).hasMatch(),
                         link.written.at(i).constData());
                if (link.written.at(i).startsWith("@RA")) {
                    ++pauses;
                } else {
                    ++readings;
                }
            }
            QVERIFY(state.chIdx >= 0 && state.chIdx <= state.chMax);
            QVERIFY(link.isOpen());
            QCOMPARE(view.message, QString());
        }
    }
    qInfo() << feeds << "receive events," << readings << "readings," << pauses
            << "pauses before @RA";
    // The noise reached every branch.
    QVERIFY(readings > 0);
    QVERIFY(pauses > 0);
}

QTEST_GUILESS_MAIN(TestReplyFuzz)
#include "tst_replyfuzz.moc"
