#include "replynoise.h"

#include <QByteArrayList>

#include <array>

namespace {

constexpr int kShortRandomMax = 64;
constexpr int kLongLineMin = 4'000;
constexpr int kLongLineMax = 20'000;
constexpr int kLongDigitsMax = 400;
constexpr int kByteValues = 256;
constexpr int kDecimalDigits = 10;
constexpr int kShortJunkMax = 8;

// Relative weights of the kinds of piece; the channel-set reply is rare on purpose, since
// each complete one costs the 20 ms pause.
enum class Piece {
    RandomBytes,
    AirReading,
    RssiReading,
    ChannelSet,
    CutShort,
    LongLine,
    LineEnd,
    ConnectReply,
    WrongCase,
};
struct Weighted
{
    Piece piece;
    int weight;
};
constexpr std::array kPieces{
    Weighted{Piece::RandomBytes, 30}, Weighted{Piece::AirReading, 12},
    Weighted{Piece::RssiReading, 12}, Weighted{Piece::ChannelSet, 1},
    Weighted{Piece::CutShort, 20},    Weighted{Piece::LongLine, 3},
    Weighted{Piece::LineEnd, 12},     Weighted{Piece::ConnectReply, 3},
    Weighted{Piece::WrongCase, 3},
};

constexpr int totalWeight()
{
    int total = 0;
    for (const Weighted &w : kPieces) {
        total += w.weight;
    }
    return total;
}

} // namespace

ReplyNoise::ReplyNoise(quint32 seed)
    : m_random(seed)
{}

int ReplyNoise::below(int bound)
{
    return static_cast<int>(m_random.bounded(bound));
}

QByteArray ReplyNoise::randomBytes(int minCount, int maxCount)
{
    QByteArray bytes;
    const int count = minCount + below(maxCount - minCount + 1);
    bytes.reserve(count);
    for (int i = 0; i < count; ++i) {
        bytes.append(static_cast<char>(below(kByteValues)));
    }
    return bytes;
}

QByteArray ReplyNoise::hexPair()
{
    static const QByteArray digits("0123456789ABCDEFabcdef G-\r");
    QByteArray pair;
    for (int i = 0; i < 2; ++i) {
        pair.append(digits.at(below(static_cast<int>(digits.size()))));
    }
    return pair;
}

QByteArray ReplyNoise::rssiText()
{
    static const QByteArrayList forms{
        "-085",  "-85.5", "",         "  - 8 5",  "1e5",       "-1e999999999999",
        "0.5",   "2.5",   "-32768.5", "32767.49", "1e-9999",   ".",
        "+",     "-",     "e5",       "-0",       "\t-\n120",  "99999999999999999999",
        "12abc", "--5",   "1e+",      "0x1F",     "-140.4999", "1.5e1",
    };
    switch (below(3)) {
    case 0:
        return forms.at(below(static_cast<int>(forms.size())));
    case 1: {
        QByteArray digits = below(2) == 0 ? "-" : "";
        const int count = 1 + below(kLongDigitsMax);
        for (int i = 0; i < count; ++i) {
            digits.append(static_cast<char>('0' + below(kDecimalDigits)));
            if (below(count) == 0) {
                digits.append('.');
            }
        }
        return digits;
    }
    default:
        return randomBytes(0, kShortJunkMax);
    }
}

QByteArray ReplyNoise::cutShort(const QByteArray &reply)
{
    return reply.left(below(static_cast<int>(reply.size())));
}

QByteArray ReplyNoise::longLine()
{
    QByteArray line = randomBytes(kLongLineMin, kLongLineMax);
    line.replace('\r', ' ');
    line.replace('\n', ' ');
    return line;
}

QByteArray ReplyNoise::lineEnd()
{
    static const QByteArrayList ends{"\r\n", "\r", "\n", "\n\r", "\r\r\n"};
    return ends.at(below(static_cast<int>(ends.size())));
}

QByteArray ReplyNoise::nextPiece()
{
    int pick = below(totalWeight());
    Piece piece = Piece::RandomBytes;
    for (const Weighted &w : kPieces) {
        if (pick < w.weight) {
            piece = w.piece;
            break;
        }
        pick -= w.weight;
    }
    switch (piece) {
    case Piece::RandomBytes:
        return randomBytes(1, kShortRandomMax);
    case Piece::AirReading:
        return "*RS=" + hexPair() + (below(2) == 0 ? lineEnd() : QByteArray());
    case Piece::RssiReading:
        return "*RA=" + rssiText() + "dBm\r\n";
    case Piece::ChannelSet:
        return "*CH=" + hexPair() + "\r\n";
    case Piece::CutShort: {
        static const QByteArrayList whole{"*RS=A4\r\n", "*RA=-085dBm\r\n", "*CH=07\r\n",
                                          "*MO=01\r\n"};
        return cutShort(whole.at(below(static_cast<int>(whole.size()))));
    }
    case Piece::LongLine:
        return longLine();
    case Piece::LineEnd:
        return lineEnd();
    case Piece::ConnectReply:
        return below(2) == 0 ? QByteArray("KVT-318M Ver1.00\r\n") : QByteArray("*MO=04\r\n");
    case Piece::WrongCase:
        return below(2) == 0 ? QByteArray("*ra=-85dbm\r\n") : QByteArray("*RA=-85DBM\r\n");
    }
    return {};
}

qsizetype ReplyNoise::nextChunkSize()
{
    static constexpr std::array kLargest{1, 8, 64, 600, 9000};
    return 1 +
           below(kLargest.at(static_cast<std::size_t>(below(static_cast<int>(kLargest.size())))));
}
