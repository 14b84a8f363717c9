#include "engine/record/recordinginput.h"

#include <QFileDevice>
#include <QIODevice>

#include <zlib.h>

namespace {
constexpr qint64 kChunkBytes = 256 * 1024;
// zlib's window bits for gzip with its header recognised.
constexpr int kGzipWindowBits = 15 + 16;
} // namespace

struct RecordingInput::Inflater
{
    z_stream stream{};
    bool midMember = false;

    Inflater() { ok = inflateInit2(&stream, kGzipWindowBits) == Z_OK; }
    ~Inflater()
    {
        if (ok) {
            inflateEnd(&stream);
        }
    }
    Inflater(const Inflater &) = delete;
    Inflater &operator=(const Inflater &) = delete;

    bool ok = false;
};

RecordingInput::RecordingInput(QIODevice &device)
    : m_device(device)
{}

RecordingInput::~RecordingInput() = default;

bool RecordingInput::readRaw()
{
    m_raw = m_device.read(kChunkBytes);
    m_rawUsed = 0;
    m_consumed += m_raw.size();
    if (m_raw.isEmpty()) {
        const auto *file = qobject_cast<const QFileDevice *>(&m_device);
        if (file != nullptr && file->error() != QFileDevice::NoError) {
            m_problem = file->errorString();
        }
        return false;
    }
    return true;
}

bool RecordingInput::next(QByteArray &chunk)
{
    if (m_ended) {
        return false;
    }
    if (!m_started) {
        m_started = true;
        if (!readRaw()) {
            m_ended = true;
            return false;
        }
        if (m_raw.size() >= 2 && static_cast<unsigned char>(m_raw[0]) == 0x1f &&
            static_cast<unsigned char>(m_raw[1]) == 0x8b) {
            m_inflater = std::make_unique<Inflater>();
        }
    } else if (m_rawUsed >= m_raw.size() && !readRaw()) {
        m_ended = true;
        if (m_inflater && m_inflater->midMember) {
            m_problem = QStringLiteral("the compressed data ends early");
        }
        return false;
    }
    if (!m_inflater) {
        chunk = m_raw;
        m_rawUsed = m_raw.size();
        return true;
    }
    return inflate(chunk);
}

bool RecordingInput::inflate(QByteArray &chunk)
{
    if (!m_inflater->ok) {
        m_problem = QStringLiteral("the compressed data cannot be read");
        m_ended = true;
        return false;
    }
    z_stream &stream = m_inflater->stream;
    chunk.resize(kChunkBytes);
    stream.next_in = reinterpret_cast<Bytef *>(m_raw.data() + m_rawUsed);
    stream.avail_in = static_cast<uInt>(m_raw.size() - m_rawUsed);
    stream.next_out = reinterpret_cast<Bytef *>(chunk.data());
    stream.avail_out = static_cast<uInt>(chunk.size());
    const int status = ::inflate(&stream, Z_NO_FLUSH);
    m_rawUsed = m_raw.size() - static_cast<qsizetype>(stream.avail_in);
    chunk.resize(chunk.size() - static_cast<qsizetype>(stream.avail_out));
    m_inflater->midMember = status != Z_STREAM_END;
    if (status == Z_STREAM_END) {
        // gzip files may hold several members one after the other (cat a.gz b.gz).
        inflateReset(&stream);
    } else if (status != Z_OK && status != Z_BUF_ERROR) {
        m_problem = QStringLiteral("the compressed data is damaged (%1)")
                        .arg(QString::fromLatin1(stream.msg != nullptr ? stream.msg : "zlib"));
        m_ended = true;
        return !chunk.isEmpty();
    }
    return true;
}
