#include "../protocol/fakemonitorview.h"
#include "scriptedlink.h"

#include "app/startup.h"
#include "protocol/monitorsession.h"
#include "protocol/replyreception.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>

#include <array>

namespace {

constexpr quint32 kDefaultSeed = 20240611;
constexpr int kPieces = 8000;
// The boxes change after this many pieces, so that every mode meets every kind of noise.
constexpr int kPiecesPerTurn = 250;
constexpr std::array<std::array<bool, 3>, 5> kTurns{
    {{true, false, false}, {false, false, true}, {true, false, true}, {false, true, false}, {}}};
// Receive events deliver up to one of these many bytes: sometimes one, sometimes thousands.
constexpr std::array kLargestChunks{1, 8, 64, 600, 9000};
constexpr int kByteValues = 256;

// Replies as they come, whole or cut short; "*CH=" stays rare, for every complete channel-set
// reply costs the 20 ms pause.
const QByteArrayList kReplies{"*RS=A4\r\n",          "*RA=-085dBm\r\n", "*CH=07\r\n",
                              "*MO=04\r\n",          "*ra=-85dbm\r\n",  "*RA=-85DBM\r\n",
                              "KVT-318M Ver1.00\r\n"};
// Tags without their ends, ends without their tags, stray line ends.
const QByteArrayList kPartsOfReplies{"*RS=", "*RA=", "dBm\r\n", "A4",  "G-",
                                     "\r\n", "\r",   "\n",      "\n\r"};
const QByteArrayList kOddNumbers{"-85.5", " - 8 5", "1e5", "-32768.5", "32767.49",  "1e-9999",
                                 ".",     "+",      "--5", "0x1F",     "-140.4999", ""};
// Out of every 100 pieces, counted up: very long lines, runs of random bytes, readings with odd
// numbers, parts; replies make the rest.
constexpr int kLongLines = 3;
constexpr int kRandomRuns = 35;
constexpr int kOddReadings = 50;
constexpr int kParts = 85;

// Everything the monitor may send during a sweep: the channel fields 07 to 2E only.
const QRegularExpression kSweepCommand(QStringLiteral(
    "^(@CH(0[7-9A-F]|1[0-9A-F]|2[0-9A-E])|@RA|@AM(0[7-9A-F]|1[0-9A-F]|2[0-9A-E])08)\\r\\n$"));

QByteArray randomBytes(QRandomGenerator &random, int minCount, int maxCount,
                       QByteArrayView alphabet = {})
{
    QByteArray bytes(random.bounded(minCount, maxCount + 1), Qt::Uninitialized);
    for (char &byte : bytes) {
        byte = alphabet.isEmpty() ? static_cast<char>(random.bounded(kByteValues))
                                  : alphabet.at(random.bounded(alphabet.size()));
    }
    return bytes;
}

const QByteArray &pick(QRandomGenerator &random, const QByteArrayList &choices)
{
    return choices.at(random.bounded(choices.size()));
}

QByteArray nextPiece(QRandomGenerator &random)
{
    const int roll = static_cast<int>(random.bounded(100));
    if (roll < kLongLines) {
        return randomBytes(random, 4'000, 20'000).replace('\r', ' ').replace('\n', ' ');
    }
    if (roll < kRandomRuns) {
        return randomBytes(random, 1, 64);
    }
    if (roll < kOddReadings) {
        return "*RA=" +
               (roll % 2 == 0 ? pick(random, kOddNumbers)
                              : randomBytes(random, 1, 400, "0123456789.-e")) +
               "dBm\r\n";
    }
    if (roll < kParts) {
        return pick(random, kPartsOfReplies);
    }
    const QByteArray &reply = pick(random, kReplies);
    return roll % 2 == 0 ? reply : reply.left(random.bounded(reply.size()));
}

} // namespace

class TestReplyFuzz : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void noiseThroughReception();
};

void TestReplyFuzz::noiseThroughReception()
{
    // KVT_ROBUST_SEED picks another run.
    QRandomGenerator random(kDefaultSeed +
                            static_cast<quint32>(qEnvironmentVariableIntValue("KVT_ROBUST_SEED")));

    MonitorState state;
    startup::initialiseMonitorState(state);
    FakeMonitorView view(state);
    ScriptedLink link;
    MonitorSession session(state, view, link);
    session.Command1_Click();
    for (const QByteArray &reply : {QByteArray("KVT-318M Ver1.00\r\n"), QByteArray("*MO=01\r\n")}) {
        session.StartTimer_Timer();
        link.feed(reply);
    }
    session.StartTimer_Timer();
    session.StartTimer_Timer();
    QCOMPARE(link.written.last(), QByteArray("@CH07\r\n"));

    QByteArray pending;
    int pauses = 0;
    int readings = 0;
    for (int piece = 0; piece < kPieces; ++piece) {
        if (piece % kPiecesPerTurn == 0) {
            view.modes =
                kTurns.at(static_cast<std::size_t>(piece / kPiecesPerTurn) % kTurns.size());
            view.cursorOnly = random.bounded(2) == 0;
            state.cursorCh = random.bounded(MonitorState::kChannelCount);
        }
        pending += nextPiece(random);
        while (!pending.isEmpty()) {
            const QByteArray chunk =
                pending.left(1 + random.bounded(kLargestChunks.at(
                                     random.bounded(static_cast<int>(kLargestChunks.size())))));
            pending.remove(0, chunk.size());
            const QString before = state.rxBuf;
            const qsizetype sentBefore = link.written.size();
            link.feed(chunk);

            // The newest 4096 bytes, one character each, as they stood after the append.
            const QString shown =
                (before + QString::fromLatin1(chunk)).right(ReplyReception::kRxBufLimit);
            QCOMPARE(view.received.rxBuf, shown);
            // RxBuf is emptied before every command; otherwise it is what was shown.
            const bool sent = link.written.size() > sentBefore;
            QCOMPARE(state.rxBuf, sent ? QString() : shown);
            for (qsizetype i = sentBefore; i < link.written.size(); ++i) {
                const QByteArray &command = link.written.at(i);
                QVERIFY2(kSweepCommand.match(QString::fromLatin1(command)).hasMatch(),
                         command.constData());
                ++(command.startsWith("@RA") ? pauses : readings);
            }
            QCOMPARE(view.message, QString());
        }
    }
    qInfo() << readings << "readings," << pauses << "pauses before @RA";
    // The noise reached every branch.
    QVERIFY(readings > 0 && pauses > 0);
}

QTEST_GUILESS_MAIN(TestReplyFuzz)
#include "tst_replyfuzz.moc"
