// kvt318-scan run as a program against the module simulator: what it records, what it says and
// how it ends.
#include "engine/record/outputfile.h"
#include "engine/record/sweeprecord.h"
#include "simprocess.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QtTest>

#include <csignal>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kFinishMs = 90'000; // a Debug build on two shared cores, and other work
constexpr int kFieldsPerRow = 42;

QStringList args(const QString &line)
{
    return line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QList<QByteArray> lines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QList<QByteArray> all = file.readAll().split('\n');
    all.removeLast(); // after the last line end
    return all;
}

// kvt318-scan with its output in a scratch folder.
struct Scan
{
    QTemporaryDir dir;
    QProcess process;

    QString path(const char *name) const { return dir.filePath(QLatin1String(name)); }
    void start(const QStringList &arguments)
    {
        process.start(qEnvironmentVariable("KVT318_SCAN"), arguments);
    }
    bool finish() { return process.waitForFinished(kFinishMs); }
    QByteArray errors() { return process.readAllStandardError(); }
    void interrupt() { ::kill(static_cast<pid_t>(process.processId()), SIGINT); }
};

} // namespace

class TestScan : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // What a script reading the files sees, with the scanner on Tokyo time: UTC times marked Z,
    // the simulator's carriers on their channels, occupancy strictly above the threshold, the
    // quietest channels by occupancy then mean, and the end-of-run table holding the summary
    // file's figures under its column heads.
    void recordsWhatWasMeasured_data()
    {
        QTest::addColumn<int>("mode"); // the simulator's: 1 FSK, 3 LoRa, 4 Air Monitor
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("jitter");
        QTest::addColumn<int>("threshold");
        QTest::addColumn<int>("records");   // -1: as many as the time allows
        QTest::addColumn<int>("tenths");    // the run's length in tenths of a second, or 0
        QTest::addColumn<QString>("label"); // the JSON Lines mode, or the one channel's cells
        QTest::newRow("csv by default, FSK") << 1 << "-n 2" << 0 << -100 << 2 << 0 << "";
        QTest::newRow("jsonl, LoRa") << 3 << "--format jsonl -n 2" << 0 << -100 << 2 << 0 << "LoRa";
        QTest::newRow("jsonl, Air Monitor, jitter")
            << 4 << "--format jsonl -n 3" << 2 << -100 << 3 << 0 << "AirMonitor";
        // Long enough for a reading or a sweep on a busy machine.
        QTest::newRow("channel 46 for 6 s")
            << 4 << "--channel 46 -t 6s" << 0 << -100 << -1 << 60 << "46,429.7375";
        QTest::newRow("channel 7 for 0.1 min")
            << 1 << "--channel 7 -t 0.1m" << 0 << -100 << -1 << 60 << "7,429.2500";
        QTest::newRow("threshold on a carrier for 0.004 h")
            << 1 << "--threshold -85 -t 0.004h" << 0 << -85 << -1 << 144 << "";
    }
    void recordsWhatWasMeasured()
    {
        QFETCH(int, mode);
        QFETCH(QString, arguments);
        QFETCH(int, jitter);
        QFETCH(int, threshold);
        QFETCH(QString, label);
        const auto level = [](int channel) {
            return channel == 12 ? -60 : channel == 30 ? -95 : channel == 46 ? -85 : -120;
        };
        const int tolerance = 3 * jitter;
        const bool single = label.contains(',');
        SimProcess sim;
        QVERIFY(sim.start(args(QStringLiteral("--carrier 12:-60 --carrier 30:-95 --carrier 46:-85 "
                                              "--baud 19200 --mode 0%1 --jitter %2")
                                   .arg(mode)
                                   .arg(jitter))));
        Scan scan;
        QProcessEnvironment tokyo = QProcessEnvironment::systemEnvironment();
        tokyo.insert("TZ", "Asia/Tokyo");
        scan.process.setProcessEnvironment(tokyo);
        const QDateTime began = QDateTime::currentDateTimeUtc();
        scan.start(args(arguments + " --summary " + scan.path("sum.csv") + " -o " +
                        scan.path("out") + ' ' + sim.devicePath()));
        QVERIFY(scan.finish());
        const QDateTime ended = QDateTime::currentDateTimeUtc();
        const QString said = QString::fromUtf8(scan.errors());
        QVERIFY2(scan.process.exitCode() == 0, qPrintable(said));
        QFETCH(int, tenths);
        QVERIFY(began.msecsTo(ended) >= tenths * 100 - 300); // -t counts from the program's start

        QList<QByteArray> rows = lines(scan.path("out"));
        QByteArray csvHead = "time,sweep";
        for (int channel = 7; channel <= 46; ++channel) {
            csvHead += ",ch" + QByteArray::number(channel);
        }
        if (label.isEmpty() || single) {
            QCOMPARE(rows.value(0), single ? QByteArray("time,channel,mhz,dbm") : csvHead);
            rows.removeFirst();
        }
        QFETCH(int, records);
        QVERIFY(records < 0 ? !rows.isEmpty() : rows.size() == records);
        for (int n = 0; n < rows.size(); ++n) {
            QList<QByteArray> cells = rows[n].split(',');
            if (!single && !label.isEmpty()) { // one JSON object, read as a CSV row
                const QJsonObject sweep = QJsonDocument::fromJson(rows[n]).object();
                QCOMPARE(sweep.value("mode").toString(), label);
                cells = {sweep.value("time").toString().toLatin1(),
                         QByteArray::number(sweep.value("sweep").toInt())};
                for (const QJsonValue &dbm : sweep.value("dbm").toArray()) {
                    cells.append(QByteArray::number(dbm.toInt()));
                }
            }
            const QDateTime time = QDateTime::fromString(cells[0], Qt::ISODateWithMs);
            QVERIFY2(cells[0].endsWith('Z') && time >= began.addSecs(-2) &&
                         time <= ended.addSecs(2),
                     cells[0].constData());
            if (single) {
                QCOMPARE(cells.mid(1, 2).join(','), label.toLatin1());
                QVERIFY(qAbs(cells.value(3).toInt() - level(cells[1].toInt())) <= tolerance);
                continue;
            }
            QCOMPARE(cells.size(), kFieldsPerRow);
            QCOMPARE(cells[1].toInt(), n + 1);
            for (int channel = 7; channel <= 46; ++channel) {
                QVERIFY(qAbs(cells[channel - 5].toInt() - level(channel)) <= tolerance);
            }
        }

        const QList<QByteArray> summary = lines(scan.path("sum.csv"));
        // Headed by the receiver: a terminal has no USB serial number, so its base name.
        QCOMPARE(said.section('\n', 0, 0), "receiver " + QFileInfo(sim.devicePath()).fileName() +
                                               ": KVT-318M Ver1.00 on " + sim.devicePath());
        const QStringList table = said.split('\n').mid(1);
        QCOMPARE(summary.size(), 41);
        QCOMPARE(table.value(0).trimmed().split(QRegularExpression("\\s{2,}")).mid(0, 10),
                 QString("ch,MHz,samples,min,mean,max,occ %,bursts,longest s,last above (UTC)")
                     .split(','));
        QList<std::tuple<double, double, int>> ranked; // occupancy, mean, channel
        for (int channel = 7; channel <= 46; ++channel) {
            const QList<QByteArray> cells = summary[channel - 6].split(',');
            QStringList shown; // the table has the summary's columns up to last_above
            for (const QByteArray &cell : cells.mid(0, 10)) {
                shown.append(cell.isEmpty() ? "-" : cell);
            }
            QCOMPARE(table.value(channel - 6).split(' ', Qt::SkipEmptyParts).mid(0, 10), shown);
            const bool measured = !single || label.startsWith(QString::number(channel) + ',');
            QCOMPARE(cells[2] != "0", measured);
            if (measured) {
                const double mean = cells[4].toDouble();
                QVERIFY(cells[3].toInt() <= mean && mean <= cells[5].toInt());
                QVERIFY(qAbs(mean - level(channel)) <= tolerance);
                QCOMPARE(cells[6], level(channel) > threshold ? "100.0" : "0.0");
                ranked.append({cells[6].toDouble(), mean, channel});
            }
        }
        std::stable_sort(ranked.begin(), ranked.end(), [](const auto &a, const auto &b) {
            return std::tie(std::get<0>(a), std::get<1>(a)) <
                   std::tie(std::get<0>(b), std::get<1>(b));
        });
        QStringList quietest;
        for (const auto &[occupancy, mean, channel] : ranked.mid(0, 5)) {
            quietest.append(QString("%1 (%2 %, %3 dBm)")
                                .arg(channel)
                                .arg(occupancy, 0, 'f', 1)
                                .arg(mean, 0, 'f', 1));
        }
        QCOMPARE(table.value(41), QString("Quietest channels (threshold %1 dBm): %2")
                                      .arg(threshold)
                                      .arg(quietest.join(", ")));
        for (const QByteArray &command : sim.commands()) {
            QCOMPARE(command.startsWith("@AM") ? command.mid(5) : "08", "08"); // sample count
        }
    }

    void interruptedRunKeepsCompleteRows()
    {
        SimProcess sim;
        QVERIFY(sim.start(args("--jitter 1")));
        Scan scan;
        scan.start({"-o", scan.path("out.csv"), "--summary", scan.path("summary.csv"), "--hourly",
                    scan.path("hourly.csv"), "--png", scan.path("chart.png"), "--plan", "4",
                    "--plan-out", scan.path("plan.csv"), sim.devicePath()});
        QTRY_VERIFY_WITH_TIMEOUT(lines(scan.path("out.csv")).size() >= 3, kFinishMs);
        scan.interrupt();
        QVERIFY(scan.finish());
        QCOMPARE(scan.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(scan.process.exitCode(), 0);
        const QList<QByteArray> rows = lines(scan.path("out.csv"));
        for (const QByteArray &row : rows) {
            QCOMPARE(row.count(',') + 1, kFieldsPerRow);
        }
        QVERIFY(scan.errors().contains("Quietest channels"));
        const QList<QByteArray> summary = lines(scan.path("summary.csv"));
        QCOMPARE(summary.size(), 41);
        QCOMPARE(summary[1].split(',')[2].toInt(), rows.size() - 1);      // complete sweeps only
        QCOMPARE(QImage(scan.path("chart.png")).size(), QSize(601, 233)); // the design size

        // Its recording read back gives the same summary (intervals and busy hours included),
        // hour-of-day map and plan, field for field; the plan asked for is shown even with -q.
        Scan replay;
        replay.start({"-q", "--replay", scan.path("out.csv"), "--summary",
                      replay.path("summary.csv"), "--hourly", replay.path("hourly.csv"), "--plan",
                      "4", "--plan-out", replay.path("plan.csv")});
        QVERIFY(replay.finish());
        QCOMPARE(replay.process.exitCode(), 0);
        const QByteArray replaySaid = replay.errors();
        QVERIFY(!replaySaid.contains("records read")); // -q: no progress, no table
        QVERIFY(!replaySaid.contains("Quietest channels"));
        QVERIFY(replaySaid.contains("Plan ("));
        QCOMPARE(lines(replay.path("summary.csv")), summary);
        QCOMPARE(lines(replay.path("hourly.csv")), lines(scan.path("hourly.csv")));
        QCOMPARE(lines(scan.path("hourly.csv")).size(), 81);
        QCOMPARE(lines(replay.path("plan.csv")), lines(scan.path("plan.csv")));
        QCOMPARE(lines(replay.path("plan.csv")).size(), 41);

        // More channels than third-order products allow: the largest plan, its own status.
        Scan tooMany;
        tooMany.start({"-q", "--replay", scan.path("out.csv"), "--plan", "9", "--plan-out",
                       tooMany.path("plan.json")});
        QVERIFY(tooMany.finish());
        QCOMPARE(tooMany.process.exitCode(), 8);
        QFile json(tooMany.path("plan.json"));
        QVERIFY(json.open(QIODevice::ReadOnly));
        const QJsonObject plan = QJsonDocument::fromJson(json.readAll()).object();
        QCOMPARE(plan.value("feasible").toBool(true), false);
        QCOMPARE(plan.value("plan").toArray().size(), 8);

        // A second, quiet run appends its rows after the first run's, without a second header.
        Scan again;
        again.start({"-q", "-n", "2", "-o", scan.path("out.csv"), sim.devicePath()});
        QVERIFY(again.finish());
        QCOMPARE(again.process.exitCode(), 0);
        QVERIFY(!again.errors().contains("Quietest channels"));
        const QList<QByteArray> appended = lines(scan.path("out.csv"));
        QCOMPARE(appended.mid(0, rows.size()), rows);
        QCOMPARE(appended.size(), rows.size() + 2);
        for (int n = 1; n <= 2; ++n) {
            QCOMPARE(appended[rows.size() + n - 1].split(',').value(1), QByteArray::number(n));
        }
    }

    // What the files say of a recording, or of a live run at its end: the statistic a trace
    // level names, the mode only where the source knew it, times with a zone offset and Windows
    // line ends read as written, and rtl_power's intervals (1 s by default) down to the last one.
    void filesSayWhatWasRecorded_data()
    {
        QTest::addColumn<QString>("input"); // csv, jsonl, named, crlf, zoned; empty: a live run
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("pattern"); // found in the file OUT
        const QString rtlRow = "\\d{4}-\\d\\d-\\d\\d, \\d\\d:\\d\\d:\\d\\d, 429250000, 429750000, "
                               "12500\\.00, 1(, -?\\d+\\.\\d\\d){40}\\n";
        const QString jsonRow =
            "\\{\"time\":\"2026-12-07T07:30:0\\d\\.000Z\",\"receiver\":\"%2\",\"sweep\":\\d+,"
            "\"mode\":%1,"
            "\"dbm\":\\[[-\\d,]+\\]\\}\\n";
        const QString csvRow = "2026-12-07T07:30:0\\d\\.000Z,\\d+(,-\\d+){40}\\n";
        const auto row = [](const char *name, const QString &input, const QString &options,
                            const QString &pattern) {
            QTest::newRow(name) << input << options << pattern;
        };
        // Channel 12 goes -100, -98, -96, -94, -92, -80, -70, -60, -50, -40.
        row("trace max", "csv", "--trace OUT", "\\n429\\.3125,-40\\.0\\r\\n");
        row("trace mean", "csv", "--trace OUT --trace-level mean", "\\n429\\.3125,-78\\.0\\r");
        row("trace median", "csv", "--trace OUT --trace-level median", "\\n429\\.3125,-92\\.0\\r");
        row("trace p90", "csv", "--trace OUT --trace-level p90", "\\n429\\.3125,-50\\.0\\r");
        // Unnamed recordings name their receiver after the file.
        row("csv's mode unknown", "csv", "--format jsonl -o OUT",
            QStringLiteral("\\A(%1){10}\\z").arg(jsonRow.arg("null", "in")));
        row("jsonl keeps its mode", "jsonl", "--format jsonl -o OUT",
            QStringLiteral("\\A(%1){10}\\z").arg(jsonRow.arg("\"LoRa\"", "in")));
        row("jsonl keeps its receiver", "named", "--format jsonl -o OUT",
            QStringLiteral("\\A(%1){10}\\z").arg(jsonRow.arg("\"LoRa\"", "north-1")));
        row("--name overrides it", "named", "--name site.2 --format jsonl -o OUT",
            QStringLiteral("\\A(%1){10}\\z").arg(jsonRow.arg("\"LoRa\"", "site\\.2")));
        row("Windows line ends", "crlf", "-o OUT",
            "\\Atime,sweep,ch7[^\n]*\n(" + csvRow + "){10}\\z");
        row("zone offsets", "zoned", "-o OUT",
            "\\n2026-12-07T07:30:00\\.000Z,1,(-120,){5}-100,[^\\n]*\\n" + csvRow.repeated(9) +
                "\\z");
        row("rtl_power by the second", "csv", "--format rtl_power -o OUT",
            "\\A(2026-12-07, 07:30:0\\d, " + rtlRow.mid(rtlRow.indexOf("429250000")) + "){10}\\z");
        row("live run's last interval", "", "-n 1 --format rtl_power -o OUT",
            "\\A" + rtlRow + "\\z");
        // A carrier that reaches the rule's level exactly is strong: the plan keeps away from it.
        row("strong at the rule's level", "csv",
            "--plan 1 --plan-avoid 7-10 --plan-strong -40:1 --plan-out OUT",
            "\\n11,429\\.3000,not taken,[^\\n]*near a strong carrier: channel 12 reached -40 dBm, "
            "1 away[^\\n]*\\n[\\s\\S]*\\n14,429\\.3375,plan,");
    }
    void filesSayWhatWasRecorded()
    {
        QFETCH(QString, input);
        QFETCH(QString, options);
        Scan scan;
        SimProcess sim;
        if (input.isEmpty()) {
            QVERIFY(sim.start(args("--mode 04 --baud 0")));
        } else {
            QFile file(scan.path("in"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            QByteArray header = "time,sweep";
            for (int channel = 7; channel <= 46; ++channel) {
                header += ",ch" + QByteArray::number(channel);
            }
            const bool jsonl = input == "jsonl" || input == "named";
            QByteArray text = jsonl ? QByteArray() : header + '\n';
            for (int n = 0; n < 10; ++n) {
                QByteArray levels = QByteArray("-120,").repeated(40);
                levels.chop(1);
                levels.replace(5 * 5, 4, QByteArray::number(n < 5 ? -100 + 2 * n : -130 + 10 * n));
                const QByteArray time = QStringLiteral("2026-12-07T%1:30:0%2.000%3")
                                            .arg(input == "zoned" ? "09" : "07")
                                            .arg(n)
                                            .arg(input == "zoned" ? "+02:00" : "Z")
                                            .toLatin1();
                text += jsonl ? "{\"time\":\"" + time + "\"," +
                                    (input == "named" ? "\"receiver\":\"north-1\"," : "") +
                                    "\"sweep\":" + QByteArray::number(n + 1) +
                                    ",\"mode\":\"LoRa\",\"dbm\":[" + levels + "]}\n"
                              : time + ',' + QByteArray::number(n + 1) + ',' + levels +
                                    (input == "crlf" ? "\r\n" : "\n");
            }
            QVERIFY(file.write(text) == text.size());
        }
        QProcessEnvironment utc = QProcessEnvironment::systemEnvironment();
        utc.insert("TZ", "UTC");
        scan.process.setProcessEnvironment(utc);
        scan.start(args("-q " + options.replace("OUT", scan.path("out")) + ' ' +
                        (input.isEmpty() ? sim.devicePath() : "--replay " + scan.path("in"))));
        QVERIFY(scan.finish());
        // -q: a survey of seconds leaves nothing on standard error but its warnings.
        for (const QByteArray &line : scan.errors().split('\n')) {
            // The plan asked for is shown even so.
            QVERIFY2(line.isEmpty() || line.startsWith("kvt318-scan: warning: ") ||
                         options.contains("--plan"),
                     line);
        }
        QCOMPARE(scan.process.exitCode(), 0);
        QFile out(scan.path("out"));
        QVERIFY(out.open(QIODevice::ReadOnly));
        const QByteArray written = out.readAll();
        QFETCH(QString, pattern);
        QVERIFY2(QRegularExpression(pattern).match(QString::fromLatin1(written)).hasMatch(),
                 written.left(400).constData());
    }

    void replayRefusesWhatItCannotRead_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("said");
        QTest::newRow("missing") << QByteArray() << 3 << QByteArray("No such file");
        QTest::newRow("foreign") << QByteArray("name,phone\n") << 4
                                 << QByteArray("not a recording of kvt318");
    }
    void replayRefusesWhatItCannotRead()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, said);
        Scan replay;
        if (!content.isEmpty()) {
            QFile file(replay.path("in.csv"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        replay.start({"--replay", replay.path("in.csv")});
        QVERIFY(replay.finish());
        QCOMPARE(replay.process.exitCode(), exitCode);
        QVERIFY(replay.errors().contains(said));
    }

    // A span of a recording, and a summary beside a baseline.
    void replaysASpanAgainstABaseline_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<int>("samples");
        QTest::addColumn<QByteArray>("channel12"); // occupancy, the baseline columns, median, p90
        const auto row = [](const char *name, const char *options, int samples, const char *cells) {
            QTest::newRow(name) << options << samples << QByteArray(cells);
        };
        row("whole file", "", 10, "50.0,-120,-60");
        row("at the recorded pace, a second a sweep", "--realtime --from 07:30:07", 3,
            "0.0,-120,-120");
        row("clock times, both ends included", "--from 07:30:02 --to 07:30:04", 3, "100.0,-60,-60");
        row("ISO 8601 without seconds", "--to 2026-12-07T07:30Z", 1, "100.0,-60,-60");
        row("against the whole file's summary", "--from 07:30:05 --baseline BASE", 5,
            "0.0,50.0,-50.0,-90.0,-30.0,-120,-120");
        row("the first three sweeps", "-n 3", 3, "100.0,-60,-60");
    }
    void replaysASpanAgainstABaseline()
    {
        QFETCH(QString, options);
        QFETCH(int, samples);
        QFETCH(QByteArray, channel12);
        Scan replay;
        {
            OutputFile file(replay.path("in.csv"), RecordFormat::Csv);
            QVERIFY(file.open());
            SweepRecord sweep;
            for (int n = 0; n < 10; ++n) {
                sweep.sweep = n + 1;
                sweep.utcMs = 1796628600000 + n * 1000; // 2026-12-07T07:30:00Z on
                sweep.dbm.fill(-120);
                sweep.dbm[5] = qint16(n < 5 ? -60 : -120);
                QVERIFY(file.write(sweep));
            }
        }
        replay.start(
            {"-q", "--replay", replay.path("in.csv"), "--summary", replay.path("all.csv")});
        QVERIFY(replay.finish());
        QElapsedTimer clock;
        clock.start();
        replay.start(QStringList{"-q", "--replay", replay.path("in.csv"), "--summary",
                                 replay.path("span.csv")} +
                     args(options.replace("BASE", replay.path("all.csv"))));
        QVERIFY(replay.finish());
        // Paced, it cannot be done sooner than the recording took.
        QVERIFY(!options.contains("--realtime") || clock.elapsed() >= (samples - 1) * 1000);
        QCOMPARE(replay.process.exitCode(), 0);
        const QList<QByteArray> cells = lines(replay.path("span.csv")).at(6).split(',');
        QCOMPARE(cells[2].toInt(), samples);
        constexpr int kOccupancyColumns = 5; // the interval and the busy hour, last
        QCOMPARE(cells.mid(6, 1).join(',') + ',' +
                     cells.mid(10, cells.size() - 10 - kOccupancyColumns).join(','),
                 channel12);
    }

    // A recording replayed with --hours in a zone: the readings counted, the hour-of-day map and
    // the busy hour against a count made here with the zone's own rules. Channel 7 is busy every
    // third sweep of ten minutes.
    void countsInsideHours_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QString>("firstUtc");
        QTest::addColumn<QString>("hoursText");
        QTest::addColumn<QList<QList<int>>>("windows"); // days bits (Mon 1), start, end minute
        QTest::newRow("Tokyo, across midnight and a weekend")
            << QByteArray("Asia/Tokyo") << "2026-12-04T12:00:00Z"
            << "Mon-Fri 22:00-02:00; sun 10:00-12:30"
            << QList<QList<int>>{{0x1f, 22 * 60, 2 * 60}, {0x40, 10 * 60, 12 * 60 + 30}};
        QTest::newRow("Berlin, the clock goes back: 02:00 twice")
            << QByteArray("Europe/Berlin") << "2026-10-24T12:00:00Z"
            << "Sat-Sun 01:00-04:00" << QList<QList<int>>{{0x60, 60, 4 * 60}};
        QTest::newRow("Berlin, the clock goes forward: no 02:00")
            << QByteArray("Europe/Berlin") << "2026-03-28T12:00:00Z"
            << "Sun 01:00-04:00; 23:00-00:30"
            << QList<QList<int>>{{0x40, 60, 4 * 60}, {0x7f, 23 * 60, 30}};
    }
    void countsInsideHours()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QString, firstUtc);
        QFETCH(QString, hoursText);
        QFETCH(QList<QList<int>>, windows);
        const QTimeZone local(zone);
        const auto inside = [&windows](const QDateTime &time) {
            const int day = time.date().dayOfWeek() - 1; // Monday 0
            const int minute = time.time().hour() * 60 + time.time().minute();
            for (const QList<int> &w : windows) {
                const auto on = [&w](int d) { return (w[0] >> ((d + 7) % 7) & 1) != 0; };
                if (w[1] < w[2] ? on(day) && w[1] <= minute && minute < w[2]
                                : (on(day) && minute >= w[1]) || (on(day - 1) && minute < w[2])) {
                    return true;
                }
            }
            return false;
        };
        Scan replay;
        // weekday and weekend, hour: readings and busy ones counted here
        std::array<std::array<std::pair<int, int>, 24>, 2> expected{};
        {
            OutputFile file(replay.path("in.csv"), RecordFormat::Csv);
            QVERIFY(file.open());
            SweepRecord sweep;
            const qint64 first = QDateTime::fromString(firstUtc, Qt::ISODate).toMSecsSinceEpoch();
            for (int n = 0; n < 3 * 24 * 6; ++n) { // three days
                sweep.sweep = n + 1;
                sweep.utcMs = first + n * 600'000LL;
                sweep.dbm.fill(-120);
                sweep.dbm[0] = qint16(n % 3 == 0 ? -60 : -120);
                QVERIFY(file.write(sweep));
                const QDateTime time = QDateTime::fromMSecsSinceEpoch(sweep.utcMs, local);
                if (inside(time)) {
                    auto &cell = expected[time.date().dayOfWeek() >= 6][time.time().hour()];
                    ++cell.first;
                    cell.second += n % 3 == 0 ? 1 : 0;
                }
            }
        }
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TZ", zone);
        replay.process.setProcessEnvironment(environment);
        replay.start({"-q", "--replay", replay.path("in.csv"), "--hours", hoursText, "--summary",
                      replay.path("summary.csv"), "--hourly", replay.path("hourly.csv")});
        QVERIFY(replay.finish());
        QCOMPARE(replay.process.exitCode(), 0);
        int readings = 0;
        std::optional<std::pair<int, double>> busiest; // hour, occupancy
        for (int hour = 0; hour < 24; ++hour) {
            const int total = expected[0][hour].first + expected[1][hour].first;
            const double pct =
                total > 0 ? 100.0 * (expected[0][hour].second + expected[1][hour].second) / total
                          : -1;
            readings += total;
            if (total > 0 && (!busiest || pct > busiest->second)) {
                busiest = {hour, pct};
            }
        }
        QVERIFY(busiest);
        const QList<QByteArray> channel7 = lines(replay.path("summary.csv")).value(1).split(',');
        QCOMPARE(channel7.value(2).toInt(), readings);
        QCOMPARE(channel7.value(15).toInt(), busiest->first);
        QCOMPARE(channel7.value(16), QByteArray::number(busiest->second, 'f', 1));
        const QList<QByteArray> hourly = lines(replay.path("hourly.csv"));
        QCOMPARE(hourly.value(0).split(',').mid(2, 3), (QList<QByteArray>{"day", "h00", "h01"}));
        for (int weekend = 0; weekend < 2; ++weekend) {
            const QList<QByteArray> cells = hourly.value(1 + weekend).split(',');
            QCOMPARE(cells.mid(0, 3).join(','),
                     QByteArray("7,429.2500,") + (weekend ? "weekend" : "weekday"));
            for (int hour = 0; hour < 24; ++hour) {
                const auto [total, busy] = expected[weekend][hour];
                QCOMPARE(cells.value(3 + hour),
                         total > 0 ? QByteArray::number(100.0 * busy / total, 'f', 1) : "");
            }
        }
    }

    void hangUpEndsOrReconnects_data()
    {
        QTest::addColumn<bool>("reconnect");
        QTest::newRow("without --reconnect") << false;
        QTest::newRow("with --reconnect") << true;
    }
    void hangUpEndsOrReconnects()
    {
        QFETCH(bool, reconnect);
        // Port names outside /dev are read as COM numbers.
        const QTemporaryDir devDir(QStringLiteral("/dev/shm/kvt318-scan-XXXXXX"));
        if (!devDir.isValid()) {
            QSKIP("no writable folder under /dev for the simulator's link");
        }
        const QString link = devDir.filePath(QStringLiteral("module"));
        Scan scan;
        SimProcess first;
        // 100 measurements: two whole sweeps and half of the third.
        QVERIFY(first.start(
            {"--mode", "04", "--carrier", "12:-60", "--hangup-after", "100", "--link", link}));
        scan.start(
            QStringList{"-q", "-o", scan.path("out.csv"), "--summary", scan.path("s.csv"), link} +
            (reconnect ? QStringList{"--reconnect"} : QStringList{}));
        if (!reconnect) {
            QVERIFY(scan.finish());
            QCOMPARE(scan.process.exitCode(), 5);
            QVERIFY(scan.errors().contains(link.toUtf8() + ": the port failed"));
            QCOMPARE(lines(scan.path("out.csv")).size(), 3);
            return;
        }
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT(
            (said += scan.process.readAllStandardError()).contains("reopening"), kFinishMs);
        QCOMPARE(lines(scan.path("out.csv")).size(), 3);
        SimProcess second;
        QVERIFY(second.start({"--mode", "04", "--carrier", "12:-60", "--link", link}));
        QTRY_VERIFY_WITH_TIMEOUT(lines(scan.path("out.csv")).size() >= 5, kFinishMs);
        scan.interrupt();
        QVERIFY(scan.finish());
        QCOMPARE(scan.process.exitCode(), 0);
        const QList<QByteArray> rows = lines(scan.path("out.csv"));
        const auto time = [&](int row) {
            return QDateTime::fromString(rows[row].split(',')[0], Qt::ISODateWithMs);
        };
        QCOMPARE(rows[3].split(',')[1], "3");
        // The reopening waits a second: the gap is in the times, not filled with rows.
        QVERIFY(time(2).msecsTo(time(3)) >= 900);
        // Nothing is known of the gap: channel 12's carrier counts as two bursts.
        QCOMPARE(lines(scan.path("s.csv")).value(6).split(',').value(7), "2");
    }

    void exitCodes_data()
    {
        QTest::addColumn<QString>("simulator"); // empty: no simulator; PORT in the arguments
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const auto row = [](const char *name, const char *simulator, const char *arguments,
                            int exitCode, const char *message) {
            QTest::newRow(name) << simulator << arguments << exitCode << message;
        };
        row("missing port", "", "/dev/kvt318-none", 3, "/dev/kvt318-none: no such device");
        // --reconnect only once the module has swept: a wrong port is not retried for ever.
        row("unsupported model", "--model XYZ-9", "--reconnect PORT", 4,
            ": unsupported module (it said \"XYZ-9 Ver1.00\")");
        row("no identification", "--no-id", "--reconnect PORT", 4, ": no module answered");
        row("unknown mode", "--mode 02", "PORT", 4, "other than FSK");
        row("module falls silent", "--mode 04 --stall-after 45",
            "-q --stall-timeout 1 -o /dev/null PORT", 5,
            ": the module stopped answering: no reading for 1 s");
        row("full disk", "--mode 04", "-o /dev/full PORT", 1, "/dev/full: No space left on device");
        // A reader that never reads: the writer blocks for ever once the pipe is full.
        row("rows lost at shutdown", "--mode 04 --baud 19200", "-q --channel 20 -t 6 -o FIFO PORT",
            1, "FIFO: rows not written within 2 s: ");
        // Usage errors one by one: tst_scanoptions.
        row("unknown option", "", "--bogus PORT", 2, "Unknown option 'bogus'");
        row("no port", "", "-q", 2, "no PORT given");
    }
    void exitCodes()
    {
        QFETCH(QString, simulator);
        QFETCH(QString, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        SimProcess sim;
        if (!simulator.isEmpty()) {
            QVERIFY(sim.start(args(simulator)));
        }
        Scan scan;
        const QString fifo = scan.path("fifo");
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
        QVERIFY(reader >= 0);
        // Full before the run: its rows wait however slowly they come.
        const int filler = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
        while (::write(filler, QByteArray(4096, '\n').constData(), 4096) > 0) {
        }
        arguments.replace("FIFO", fifo);
        message.replace("FIFO", fifo);
        scan.start(args(arguments.replace("PORT", sim.devicePath().isEmpty() ? QStringLiteral("x")
                                                                             : sim.devicePath())));
        const bool finished = scan.finish();
        ::close(filler);
        ::close(reader);
        QVERIFY(finished);
        QCOMPARE(scan.process.exitCode(), exitCode);
        const QList<QByteArray> said = scan.errors().split('\n');
        QVERIFY2(said[0].startsWith("kvt318-scan: ") && said[0].contains(message.toUtf8()),
                 said[0].constData());
    }
};

QTEST_MAIN(TestScan)
#include "tst_scan.moc"
