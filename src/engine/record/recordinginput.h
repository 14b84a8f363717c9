#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class QIODevice;

// The bytes of a recording file, plain or compressed with gzip (recognised by its first two
// bytes, 1f 8b), handed out a chunk at a time so that a file of any size is read in little
// memory. Compressed data that is damaged or ends early ends the input with a problem text;
// what came before it stays.
class RecordingInput
{
public:
    explicit RecordingInput(QIODevice &device);
    ~RecordingInput();
    RecordingInput(const RecordingInput &) = delete;
    RecordingInput &operator=(const RecordingInput &) = delete;

    // The next bytes of the content; false at its end or after a problem.
    bool next(QByteArray &chunk);
    [[nodiscard]] bool isCompressed() const { return m_inflater != nullptr; }
    // Bytes of the file (not of the content) consumed so far.
    [[nodiscard]] qint64 consumed() const { return m_consumed; }
    // Why the input ended before the file did; empty when it did not.
    [[nodiscard]] QString problem() const { return m_problem; }

private:
    struct Inflater;

    bool readRaw();
    bool inflate(QByteArray &chunk);

    QIODevice &m_device;
    std::unique_ptr<Inflater> m_inflater;
    QByteArray m_raw;
    qsizetype m_rawUsed = 0;
    qint64 m_consumed = 0;
    bool m_started = false;
    bool m_ended = false;
    QString m_problem;
};
