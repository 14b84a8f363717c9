// Recordings read back: the formats the program writes, compressed or not, appended runs and
// breaks, and every kind of damage a crash, an unplug or a hand edit leaves.
#include "engine/protocol/reading.h"
#include "engine/record/recordencoder.h"
#include "engine/record/recordformat.h"
#include "engine/record/recordingreader.h"

#include <QBuffer>
#include <QtTest>

#include <zlib.h>

namespace {

constexpr qint64 kT0 = 1796628600123; // 2026-12-07T07:30:00.123Z
constexpr qint64 kInterval = 400;

SweepRecord sweepAt(qint64 number, qint64 utcMs,
                    std::optional<RadioMode> mode = RadioMode::AirMonitor)
{
    SweepRecord sweep{utcMs, number, mode, {}};
    for (int i = 0; i < 40; ++i) {
        // Every level a recording may hold turns up somewhere.
        sweep.dbm[std::size_t(i)] = qint16(-140 + (number * 37 + i * 11) % 151);
    }
    return sweep;
}

// Sweeps through the program's own encoder; the long format gets a reading per channel.
QByteArray written(RecordFormat format, const QList<SweepRecord> &sweeps, bool header = true)
{
    const auto encoder = record::formatEntry(format).makeEncoder({});
    QByteArray bytes = header ? encoder->header() : QByteArray();
    for (const SweepRecord &sweep : sweeps) {
        for (int i = 0; i < 40; ++i) {
            bytes += encoder->reading(
                Reading{i, sweep.dbm[std::size_t(i)], sweep.utcMs - 39 + i, sweep.mode});
        }
        bytes += encoder->sweep(sweep);
    }
    return bytes + encoder->end();
}

QList<SweepRecord> sweeps(int count, qint64 from = kT0, qint64 firstNumber = 1,
                          std::optional<RadioMode> mode = RadioMode::AirMonitor)
{
    QList<SweepRecord> list;
    for (int i = 0; i < count; ++i) {
        list.append(sweepAt(firstNumber + i, from + i * kInterval, mode));
    }
    return list;
}

QByteArray gzipped(const QByteArray &data)
{
    z_stream stream{};
    deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&stream, uLong(data.size()))), '\0');
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(qsizetype(stream.total_out));
    deflateEnd(&stream);
    return out;
}

RecordingRead readBytes(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return RecordingReader::read(buffer, QStringLiteral("night.csv"));
}

} // namespace

class TestRecordingReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsBackWhatWasWritten_data()
    {
        QTest::addColumn<RecordFormat>("format");
        QTest::addColumn<bool>("modeKnown");
        QTest::newRow("csv") << RecordFormat::Csv << true;
        QTest::newRow("long") << RecordFormat::Long << true;
        QTest::newRow("jsonl") << RecordFormat::Jsonl << true;
        QTest::newRow("jsonl, mode not known") << RecordFormat::Jsonl << false;
    }
    // The mode only where the file holds it: csv and long recordings do not.
    void readsBackWhatWasWritten()
    {
        QFETCH(RecordFormat, format);
        QFETCH(bool, modeKnown);
        const QList<SweepRecord> original =
            sweeps(5, kT0, 1, modeKnown ? std::optional(RadioMode::LoRa) : std::nullopt);
        const RecordingRead read = readBytes(written(format, original));
        QCOMPARE(read.status, RecordingRead::Status::Read);
        QCOMPARE(read.skippedLines, qint64(0));
        QCOMPARE(read.recording.format(), format);
        QCOMPARE(read.recording.rows(), qint64(original.size()));
        for (int row = 0; row < original.size(); ++row) {
            const SweepRecord back = read.recording.sweep(row);
            QCOMPARE(back.utcMs, original[row].utcMs);
            QCOMPARE(back.sweep, original[row].sweep);
            QCOMPARE(back.dbm, original[row].dbm);
            QVERIFY(back.mode ==
                    (format == RecordFormat::Jsonl ? original[row].mode : std::nullopt));
        }
    }

    void skipsDamageAndSplitsRuns_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<RecordingRead::Status>("status");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("runs");
        QTest::addColumn<int>("skipped");
        QTest::addColumn<QString>("problem");
        using S = RecordingRead::Status;
        const auto add = [](const char *name, const QByteArray &content, S status, int rows,
                            int runs, int skipped, const char *problem) {
            QTest::newRow(name) << content << status << rows << runs << skipped << problem;
        };
        const QByteArray csv = written(RecordFormat::Csv, sweeps(4));
        const QByteArray row = csv.split('\n')[2] + '\n';
        const QByteArray later =
            written(RecordFormat::Csv, {sweepAt(5, kT0 + 4 * kInterval)}, false);
        auto damaged = [&](const QByteArray &line) { return csv + line + later; };
        add("gzip", gzipped(csv), S::Read, 4, 1, 0, "");
        add("gzip cut short", gzipped(csv).chopped(8), S::Read, 4, 1, 1,
            "line 6: the compressed data ends early");
        add("two appended runs",
            csv + written(RecordFormat::Csv, sweeps(3, kT0 + 4 * kInterval), false), S::Read, 7, 2,
            0, "");
        add("header repeated by >>",
            csv + written(RecordFormat::Csv, sweeps(3, kT0 + 4 * kInterval, 5)), S::Read, 7, 2, 0,
            "");
        add("gap of more than ten sweeps",
            csv + written(RecordFormat::Csv, sweeps(2, kT0 + 20 * kInterval, 5), false), S::Read, 6,
            2, 0, "");
        add("Windows line ends", QByteArray(csv).replace('\n', "\r\n"), S::Read, 4, 1, 0, "");
        // Sweep 2 again (a run of its own) at 07:30:01.723Z; read the wrong way, the zone puts it
        // or the next line out of time order.
        add("zone east", damaged("2026-12-07T09:30:01.723+02:00" + row.mid(row.indexOf(','))),
            S::Read, 6, 2, 0, "");
        add("zone west", damaged("2026-12-07T02:00:01.723-05:30" + row.mid(row.indexOf(','))),
            S::Read, 6, 2, 0, "");
        add("truncated last line", csv + row.left(60), S::Read, 4, 1, 1,
            "night.csv: line 6: cut short, no line end");
        add("wrong field count", damaged(row.left(row.lastIndexOf(',')) + '\n'), S::Read, 5, 1, 1,
            "line 6: 41 fields instead of 42");
        add("not a number", damaged(QByteArray(row).replace(",-", ",x")), S::Read, 5, 1, 1,
            "line 6: channel 7: 'x");
        add("level out of range", damaged(row.left(row.lastIndexOf(',')) + ",11\n"), S::Read, 5, 1,
            1, "line 6: channel 46: level 11 dBm is outside -140…+10");
        add("time not ISO 8601", damaged("07/12/2026 07:30" + row.mid(row.indexOf(','))), S::Read,
            5, 1, 1, "line 6: time '07/12/2026 07:30' is not ISO 8601");
        add("time backwards", damaged("2020-01-01T00:00:00.000Z" + row.mid(row.indexOf(','))),
            S::Read, 5, 1, 1, "line 6: the time goes back before line 5's");
        add("two sweeps in the same millisecond",
            csv + written(RecordFormat::Csv, {sweepAt(5, kT0 + 3 * kInterval)}, false), S::Read, 5,
            1, 0, "");
        add("line too long", damaged(QByteArray(100000, '7') + '\n'), S::Read, 5, 1, 1,
            "line 6: longer than 4096 bytes");
        add("mode changes",
            written(RecordFormat::Jsonl,
                    sweeps(2) + sweeps(2, kT0 + 2 * kInterval, 3, RadioMode::LoRa)),
            S::Read, 4, 2, 0, "");
        add("bad json", written(RecordFormat::Jsonl, sweeps(2)) + "{\"time\":\"x\"}\n", S::Read, 2,
            1, 1, "line 3: not a sweep");
        add("one channel, long",
            QByteArray("time,channel,mhz,dbm\n2026-12-07T07:30:00.000Z,12,429.3125,-60\n"
                       "2026-12-07T07:30:00.100Z,12,429.3125,-61\n"),
            S::Read, 2, 1, 0, "");
        add("header only", csv.left(csv.indexOf('\n') + 1), S::Read, 0, 0, 0, "");
        add("foreign csv", QByteArray("name,phone\nAlice,123\n"), S::NotRecording, 0, 0, 0,
            "night.csv: not a recording of kvt318");
        add("empty file", QByteArray(), S::NotRecording, 0, 0, 0, "night.csv: empty");
    }
    void skipsDamageAndSplitsRuns()
    {
        QFETCH(QByteArray, content);
        QFETCH(RecordingRead::Status, status);
        QFETCH(int, rows);
        QFETCH(int, runs);
        QFETCH(int, skipped);
        QFETCH(QString, problem);
        const RecordingRead read = readBytes(content);
        QCOMPARE(read.status, status);
        QCOMPARE(read.recording.rows(), qint64(rows));
        QCOMPARE(int(read.recording.runStarts().size()), runs);
        QCOMPARE(read.skippedLines, qint64(skipped));
        const QString said = status == RecordingRead::Status::Read ? read.firstProblem : read.error;
        QVERIFY2(said.contains(problem), qPrintable(said));
    }

    void refusesAFileItCannotOpen()
    {
        const RecordingRead read = RecordingReader::readFile(QStringLiteral("/nonexistent/x.csv"));
        QCOMPARE(read.status, RecordingRead::Status::OpenFailed);
        QVERIFY(read.error.startsWith(QStringLiteral("/nonexistent/x.csv: ")));
    }
};

QTEST_GUILESS_MAIN(TestRecordingReader)
#include "tst_recordingreader.moc"
