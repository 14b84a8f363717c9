// libFuzzer target: reading a recording back, on arbitrary bytes and on mutated recordings.
// Beyond crashes and undefined behaviour it checks that what is kept stays within the levels a
// recording may hold, in time order, within the memory bound, and that nothing is refused
// silently.

#include "engine/record/recordingreader.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

namespace {

constexpr std::size_t kMostBytesPerRow = 100;

void require(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const RecordingRead read = RecordingReader::read(buffer, QStringLiteral("fuzz"));
    require(read.status != RecordingRead::Status::NotRecording || !read.error.isEmpty());
    require((read.skippedLines == 0) == read.firstProblem.isEmpty());
    const Recording &recording = read.recording;
    require(recording.memoryUse() <= kMostBytesPerRow * std::size_t(recording.rows()) + 64);
    for (qint64 row = 0; row < recording.rows(); ++row) {
        require(row == 0 || recording.utcMs(row) >= recording.utcMs(row - 1));
        for (int column = 0; column < recording.width(); ++column) {
            const qint16 dbm = recording.dbm(row, column);
            require(dbm >= Recording::kLowestDbm && dbm <= Recording::kHighestDbm);
        }
    }
    require(recording.isEmpty() || recording.runStarts().front() == 0);
    return 0;
}
