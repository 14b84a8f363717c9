#include "engine/record/recordingreader.h"

#include "engine/record/recordinginput.h"
#include "engine/record/recordlines.h"

#include <QFile>

#include <bitset>
#include <utility>

namespace {

using Status = RecordingRead::Status;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Turns the lines of a file into its recording, one line at a time.
class LineReader
{
public:
    LineReader(RecordingRead &result, QString name)
        : m_result(result)
        , m_name(std::move(name))
    {}

    // A whole line without its end; cut is what is wrong when it is not whole.
    void take(std::string_view line, qint64 number, const QString &cut = {});
    void finish();
    [[nodiscard]] bool refused() const { return m_result.status == Status::NotRecording; }

private:
    enum class Format { Unknown, Csv, Long, Jsonl };

    void recognise(std::string_view line, qint64 number, const QString &cut);
    void skip(qint64 number, const QString &what);
    bool laterThanBefore(qint64 utcMs, qint64 number);
    void takeSweep(const recordlines::Sweep &sweep);
    void takeLong(const recordlines::LongReading &reading);

    RecordingRead &m_result;
    QString m_name;
    Format m_format = Format::Unknown;
    qint64 m_lastTime = 0;
    qint64 m_lastTimeLine = 0;
    qint64 m_lastSweep = 0;
    bool m_headerAgain = false;
    // The long format: the pass being gathered into a sweep, and the recording kept apart in
    // case every reading is of one channel.
    recordlines::Sweep m_pass;
    std::bitset<channelplan::kChannelCount> m_filled;
    int m_lastIndex = -1;
    bool m_passAnew = false;
    std::optional<int> m_singleIndex;
    bool m_severalChannels = false;
    Recording m_single{1, 0};
    bool m_singleAnew = false;
};

void LineReader::take(std::string_view line, qint64 number, const QString &cut)
{
    if (number == 1 && line.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        line.remove_prefix(kByteOrderMark.size());
    }
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    if (m_format == Format::Unknown) {
        recognise(line, number, cut);
        return;
    }
    if (!cut.isEmpty()) {
        skip(number, cut);
        return;
    }
    if (line.empty()) {
        return;
    }
    // Appending to a file through a shell redirection repeats the header.
    if ((m_format == Format::Csv && line == recordlines::csvHeader()) ||
        (m_format == Format::Long && line == recordlines::longHeader())) {
        m_headerAgain = true;
        m_passAnew = true;
        m_singleAnew = true;
        return;
    }
    QString problem;
    if (m_format == Format::Long) {
        recordlines::LongReading reading;
        problem = recordlines::readLong(line, reading);
        if (problem.isEmpty() && laterThanBefore(reading.utcMs, number)) {
            takeLong(reading);
            return;
        }
    } else {
        recordlines::Sweep sweep;
        problem = m_format == Format::Csv ? recordlines::readCsv(line, sweep)
                                          : recordlines::readJsonl(line, sweep);
        if (problem.isEmpty() && laterThanBefore(sweep.utcMs, number)) {
            takeSweep(sweep);
            return;
        }
    }
    if (!problem.isEmpty()) {
        skip(number, problem);
    }
}

void LineReader::recognise(std::string_view line, qint64 number, const QString &cut)
{
    if (line.empty() && cut.isEmpty()) {
        return;
    }
    if (cut.isEmpty() && line == recordlines::csvHeader()) {
        m_format = Format::Csv;
    } else if (cut.isEmpty() && line == recordlines::longHeader()) {
        m_format = Format::Long;
        m_result.recording.setFormat(RecordFormat::Long);
    } else if (line.substr(0, 9) == "{\"time\":\"") {
        m_format = Format::Jsonl;
        m_result.recording.setFormat(RecordFormat::Jsonl);
        take(line, number, cut);
    } else {
        m_result.status = Status::NotRecording;
        m_result.error = QStringLiteral("%1: not a recording of kvt318 (line %2 is no csv, long "
                                        "or JSON Lines record header)")
                             .arg(m_name)
                             .arg(number);
    }
}

void LineReader::skip(qint64 number, const QString &what)
{
    if (m_result.skippedLines++ == 0) {
        m_result.firstProblem = QStringLiteral("%1: line %2: %3").arg(m_name).arg(number).arg(what);
    }
}

bool LineReader::laterThanBefore(qint64 utcMs, qint64 number)
{
    if (m_lastTimeLine > 0 && utcMs < m_lastTime) {
        skip(number, QStringLiteral("the time goes back before line %1's").arg(m_lastTimeLine));
        return false;
    }
    m_lastTime = utcMs;
    m_lastTimeLine = number;
    return true;
}

void LineReader::takeSweep(const recordlines::Sweep &sweep)
{
    const bool anew = m_headerAgain || sweep.sweep <= m_lastSweep;
    m_result.recording.append(sweep.utcMs, sweep.dbm.data(), sweep.mode, anew);
    if (m_result.recording.receiver().isEmpty()) {
        m_result.recording.setReceiver(sweep.receiver);
    }
    m_lastSweep = sweep.sweep;
    m_headerAgain = false;
}

void LineReader::takeLong(const recordlines::LongReading &reading)
{
    if (!m_severalChannels) {
        if (!m_singleIndex) {
            m_singleIndex = reading.index;
            m_single = Recording(1, reading.index);
            m_single.setFormat(RecordFormat::Long);
        }
        if (*m_singleIndex == reading.index) {
            m_single.append(reading.utcMs, &reading.dbm, std::nullopt, m_singleAnew);
            m_singleAnew = false;
        } else {
            m_severalChannels = true;
            m_single = Recording(1, 0);
        }
    }
    // A channel no later than the last one begins another pass.
    if (reading.index <= m_lastIndex) {
        m_filled.reset();
    }
    m_lastIndex = reading.index;
    m_pass.dbm[static_cast<std::size_t>(reading.index)] = reading.dbm;
    m_filled.set(static_cast<std::size_t>(reading.index));
    if (reading.index == channelplan::kLastIndex) {
        if (m_filled.all()) {
            m_result.recording.append(reading.utcMs, m_pass.dbm.data(), std::nullopt, m_passAnew);
            m_passAnew = false;
        }
        m_filled.reset();
        m_lastIndex = -1;
    }
}

void LineReader::finish()
{
    if (m_format == Format::Unknown && m_result.status == Status::Read) {
        m_result.status = Status::NotRecording;
        m_result.error = QStringLiteral("%1: empty, no recording in it").arg(m_name);
        return;
    }
    if (m_format == Format::Long && !m_severalChannels && !m_single.isEmpty()) {
        m_result.recording = std::move(m_single);
    }
    m_result.recording.finish();
}

} // namespace

RecordingRead RecordingReader::readFile(const QString &path, const Progress &progress)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        RecordingRead result;
        result.status = Status::OpenFailed;
        result.error = path + QLatin1String(": ") + file.errorString();
        return result;
    }
    return read(file, path, progress);
}

RecordingRead RecordingReader::read(QIODevice &device, const QString &name,
                                    const Progress &progress)
{
    RecordingRead result;
    LineReader lines(result, name);
    RecordingInput input(device);
    const qint64 total = device.isSequential() ? 0 : device.size();
    const QString tooLong = QStringLiteral("longer than %1 bytes").arg(kLongestLine);
    QByteArray chunk;
    QByteArray pending;
    bool overlong = false;
    qint64 number = 0;
    while (!lines.refused() && input.next(chunk)) {
        qsizetype from = 0;
        for (qsizetype end = chunk.indexOf('\n'); end >= 0 && !lines.refused();
             end = chunk.indexOf('\n', from)) {
            ++number;
            const std::string_view piece(chunk.constData() + from, std::size_t(end - from));
            if (overlong || pending.size() + end - from > kLongestLine) {
                lines.take({}, number, tooLong);
            } else if (pending.isEmpty()) {
                lines.take(piece, number);
            } else {
                pending.append(piece.data(), qsizetype(piece.size()));
                lines.take(std::string_view(pending.constData(), std::size_t(pending.size())),
                           number);
            }
            pending.clear();
            overlong = false;
            from = end + 1;
        }
        const qsizetype rest = chunk.size() - from;
        if (!overlong && pending.size() + rest > kLongestLine) {
            overlong = true;
            pending.clear();
        } else if (!overlong) {
            pending.append(chunk.constData() + from, rest);
        }
        if (progress && !progress(input.consumed(), total)) {
            result.status = Status::Cancelled;
            return result;
        }
    }
    if (!lines.refused() && (overlong || !pending.isEmpty())) {
        lines.take(std::string_view(pending.constData(), std::size_t(pending.size())), ++number,
                   overlong ? tooLong : QStringLiteral("cut short, no line end"));
    }
    if (!lines.refused() && !input.problem().isEmpty()) {
        lines.take({}, ++number, input.problem());
    }
    lines.finish();
    return result;
}
