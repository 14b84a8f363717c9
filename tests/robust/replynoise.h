#pragma once

#include <QByteArray>
#include <QRandomGenerator>

// What a confused module, a wrong device or a noisy line might send: random bytes, replies
// whole and cut short, tags without their ends, odd numbers, stray line ends and very long
// lines, in a reproducible order.
class ReplyNoise
{
public:
    explicit ReplyNoise(quint32 seed);

    // The next piece of the byte stream.
    QByteArray nextPiece();
    // How many bytes the next receive event delivers: sometimes one, sometimes thousands.
    qsizetype nextChunkSize();

    [[nodiscard]] QRandomGenerator &random() { return m_random; }

private:
    QByteArray randomBytes(int minCount, int maxCount);
    QByteArray hexPair();
    QByteArray rssiText();
    QByteArray cutShort(const QByteArray &reply);
    QByteArray longLine();
    QByteArray lineEnd();
    int below(int bound);

    QRandomGenerator m_random;
};
