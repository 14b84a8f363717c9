// kvt318-scan --report read back as its users read it: pdftotext for the figures, pdftoppm for
// the waterfall, pdffonts for the fonts, against a survey of the simulator.
#include "engine/alarm/alarmengine.h"
#include "engine/history/recordingrows.h"
#include "engine/plan/plansearch.h"
#include "engine/record/channelstatistics.h"
#include "engine/record/plansurvey.h"
#include "engine/record/recordingreader.h"
#include "engine/record/recordtime.h"
#include "painters/colormap.h"
#include "report/reportcontent.h"
#include "simprocess.h"
#include "windows/history/reportexport.h"

#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int kFinishMs = 90'000;
// The carrier's level and channel, a quiet channel, and the level alarms watch.
constexpr int kCarrierDbm = -60;
constexpr int kCarrierChannel = 12;
constexpr int kQuietChannel = 30;
// The simulator's noise floor.
constexpr int kNoiseDbm = -120;
const QString kRule = QStringLiteral("ch=12,above=-90");
const QString kReceiver = QStringLiteral("north-7");

struct Run
{
    int exitCode = -1;
    QString errors;
    QString output;
};

Run run(const QString &program, const QStringList &arguments, const QStringList &environment = {})
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &entry : environment) {
        env.insert(entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1));
    }
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    if (!process.waitForFinished(kFinishMs)) {
        return {};
    }
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardError()),
            QString::fromUtf8(process.readAllStandardOutput())};
}

Run scan(const QStringList &arguments, const QStringList &environment = {})
{
    return run(qEnvironmentVariable("KVT318_SCAN"), arguments, environment);
}

QString pdfText(const QString &pdf)
{
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")})
        .output;
}

QList<QStringList> csvRows(const QString &path)
{
    QFile file(path);
    QList<QStringList> rows;
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : file.readAll().trimmed().split('\n')) {
            rows.append(QString::fromUtf8(line).split(QLatin1Char(',')));
        }
    }
    return rows;
}

// "…by measured occupancy: 8, 13, 30" wherever it stands.
QString planChannels(const QString &text)
{
    static const QRegularExpression kPlan(QStringLiteral("by measured occupancy: ([0-9, ]+)"));
    return kPlan.match(text).captured(1).simplified();
}

int distance(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
           std::abs(qBlue(a) - qBlue(b));
}

} // namespace

class TestReport : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    // The port's base name, which names the receiver of the live run.
    QString m_port;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    // A live survey with its records, summary, plan and alarms; the records are then marked
    // with the receiver that made them, as a named scanner writes them.
    void initTestCase()
    {
        for (const char *tool : {"pdftotext", "pdftoppm", "pdffonts"}) {
            if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty()) {
                QSKIP("poppler-utils is not installed");
            }
        }
        SimProcess sim;
        QVERIFY(sim.start({QStringLiteral("--mode"), QStringLiteral("04"), QStringLiteral("--baud"),
                           QStringLiteral("0"), QStringLiteral("--delay-ms"), QStringLiteral("1"),
                           QStringLiteral("--carrier"),
                           QStringLiteral("%1:%2").arg(kCarrierChannel).arg(kCarrierDbm)}));
        m_port = QFileInfo(sim.devicePath()).fileName();
        const Run live =
            scan({QStringLiteral("-q"), QStringLiteral("-n"), QStringLiteral("120"),
                  QStringLiteral("--format"), QStringLiteral("jsonl"), QStringLiteral("-o"),
                  path(QStringLiteral("live.jsonl")), QStringLiteral("--summary"),
                  path(QStringLiteral("live.csv")), QStringLiteral("--plan"), QStringLiteral("3"),
                  QStringLiteral("--alarm"), kRule, QStringLiteral("--report"),
                  path(QStringLiteral("live.pdf")), sim.devicePath()});
        QVERIFY2(live.exitCode == 0, qPrintable(live.errors));
        QFile records(path(QStringLiteral("live.jsonl")));
        QFile named(path(QStringLiteral("named.jsonl")));
        QVERIFY(records.open(QIODevice::ReadOnly) && named.open(QIODevice::WriteOnly));
        for (QByteArray line : records.readAll().trimmed().split('\n')) {
            line.chop(1);
            named.write(line + ",\"receiver\":\"" + kReceiver.toLatin1() + "\"}\n");
        }
    }

    // Receiver, period, sweeps, the busiest channel's occupancy and the plan as the summary
    // and the plan on standard error give them, for the live run, its replay and a span of it.
    void figuresAreTheSummarys_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("receiver");
        QTest::addColumn<int>("first"); // the span's sweeps, counted from 0
        QTest::addColumn<int>("last");
        QTest::newRow("live") << "live"
                              << "" << 0 << 119;
        QTest::newRow("replay") << "replay" << kReceiver << 0 << 119;
        QTest::newRow("span") << "span" << kReceiver << 40 << 79;
    }
    void figuresAreTheSummarys()
    {
        QFETCH(QString, name);
        QFETCH(QString, receiver);
        QFETCH(int, first);
        QFETCH(int, last);
        const QString pdf = path(name + QStringLiteral(".pdf"));
        const QString summary = path(name + QStringLiteral(".csv"));
        QFile records(path(QStringLiteral("live.jsonl")));
        QVERIFY(records.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = records.readAll().trimmed().split('\n');
        const QString from = QString::fromLatin1(lines[first].mid(9, 24));
        const QString to = QString::fromLatin1(lines[last].mid(9, 24));
        QString planned;
        if (name != QLatin1String("live")) {
            const Run replay =
                scan({QStringLiteral("--replay"), path(QStringLiteral("named.jsonl")),
                      QStringLiteral("--from"), from, QStringLiteral("--to"), to,
                      QStringLiteral("--summary"), summary, QStringLiteral("--plan"),
                      QStringLiteral("3"), QStringLiteral("--alarm"), kRule,
                      QStringLiteral("--report"), pdf});
            QVERIFY2(replay.exitCode == 0, qPrintable(replay.errors));
            planned = planChannels(replay.errors);
        }
        const QString text = pdfText(pdf).simplified();
        const QList<QStringList> rows = csvRows(summary);
        QCOMPARE(rows.size(), 41);
        const qsizetype busiest =
            std::max_element(rows.begin() + 1, rows.end(),
                             [](auto &a, auto &b) { return a[6].toDouble() < b[6].toDouble(); }) -
            rows.begin();
        QVERIFY(
            text.contains(QStringLiteral("Receiver ") + (receiver.isEmpty() ? m_port : receiver)));
        QVERIFY(text.contains(QStringLiteral("Sweeps ") + rows[1][2]));
        QCOMPARE(rows[1][2].toInt(), last - first + 1);
        QVERIFY(text.contains(from) && text.contains(to));
        QVERIFY(text.contains(QStringLiteral(" %1 ").arg(rows[busiest][6])));
        QCOMPARE(rows[busiest][0].toInt(), kCarrierChannel);
        if (!planned.isEmpty()) {
            QCOMPARE(planChannels(text), planned);
        }
        // A replay of the whole run reports what the live run did, from its channels on.
        if (name == QLatin1String("replay")) {
            const QString live = pdfText(path(QStringLiteral("live.pdf"))).simplified();
            const QString heading = QStringLiteral("Channels Ch MHz");
            QCOMPARE(text.mid(text.indexOf(heading)), live.mid(live.indexOf(heading)));
        }
    }

    // The window's report of a span of the opened recording has the channels' figures of the
    // replay of that span, and the window's plan only while it was made for those figures.
    void windowReportsTheSpan_data()
    {
        QTest::addColumn<int>("plan");  // 0 none, 1 made for the figures, 2 for others
        QTest::addColumn<int>("alarm"); // 0 no rules, 1 a raise in the span, -1 just before it
        QTest::newRow("no plan") << 0 << 0;
        QTest::newRow("its plan") << 1 << 0;
        QTest::newRow("a plan of other figures") << 2 << 0;
        QTest::newRow("a raise within the span") << 0 << 1;
        QTest::newRow("a raise just before the span") << 0 << -1;
    }
    void windowReportsTheSpan()
    {
        QFETCH(int, plan);
        QFETCH(int, alarm);
        RecordingRead read = RecordingReader::readFile(path(QStringLiteral("named.jsonl")));
        QCOMPARE(read.status, RecordingRead::Status::Read);
        const qint64 fromMs = read.recording.utcMs(40);
        const qint64 toMs = read.recording.utcMs(79);
        const RecordingRows rows(std::move(read.recording));
        // The rows of sweeps 40 to 79, as a drag across the waterfall selects them.
        int newest = rows.rowCount();
        int oldest = 0;
        for (int age = 0; age < rows.rowCount(); ++age) {
            const HistoryRow row = rows.row(age);
            if (!row.runStart && row.utcMs >= fromMs && row.utcMs <= toMs) {
                newest = std::min(newest, age);
                oldest = std::max(oldest, age);
            }
        }
        ChannelStatistics statistics;
        history::addRows(statistics, rows, newest, oldest);
        std::optional<ReportPlan> made;
        if (plan > 0) {
            PlanSurvey survey = plansurvey::fromStatistics(statistics);
            const PlanConstraints constraints;
            made = ReportPlan{
                plan::explain(survey, constraints, PlanSearch(survey, constraints).solve()),
                survey};
            made->survey[0].occupancyPct += plan == 2 ? 1.0 : 0.0;
        }
        // The monitor's alarm, 1 ms inside the span or outside it.
        const qint64 raisedMs = fromMs + (alarm == 0 ? -1 : alarm);
        AlarmEventKeeper kept;
        kept.take({AlarmEvent::Kind::Raised, raisedMs, 5, -60, std::nullopt, -60, kRule, {}},
                  AlarmEngine({}));
        QString nothing;
        const auto content =
            ReportExport::contentOf({rows, newest, oldest, statistics, QString(), kReceiver, made,
                                     alarm != 0 ? &kept : nullptr, alarm != 0},
                                    &nothing);
        QVERIFY2(content, qPrintable(nothing));
        const QString pdf = path(QStringLiteral("window.pdf"));
        QCOMPARE(surveyreport::writeFile(pdf, *content), QString());
        const QString text = pdfText(pdf).simplified();
        const QString replayed = pdfText(path(QStringLiteral("span.pdf"))).simplified();
        const auto table = [](const QString &all) {
            const qsizetype from = all.indexOf(QStringLiteral("Channels Ch MHz"));
            static const QRegularExpression kEnd(QStringLiteral("Channel plan|Alarms Raised"));
            return all.mid(from, all.indexOf(kEnd, from) - from).trimmed();
        };
        QVERIFY(text.contains(QStringLiteral("Sweeps 40 ")));
        QCOMPARE(table(text), table(replayed));
        QCOMPARE(text.contains(QStringLiteral("Channel plan")), plan == 1);
        QCOMPARE(text.contains(QStringLiteral("Alarms Raised")), alarm != 0);
        QCOMPARE(text.contains(QStringLiteral("Raised 1,")), alarm > 0);
        QCOMPARE(text.contains(record::recordTime(raisedMs)), alarm > 0);
    }

    // However long the survey, a burst of one sweep stays in the row of its time, and the rows
    // of a break show no reading rather than the sweeps beside them.
    void reductionKeepsBursts_data()
    {
        QTest::addColumn<int>("sweeps");
        QTest::addColumn<int>("burst"); // the sweep with the burst
        QTest::addColumn<int>("gap");   // the sweep after a break of as many sweeps' time, or -1
        QTest::newRow("a day") << 250000 << 123456 << -1;
        QTest::newRow("fewer sweeps than rows") << 50 << 49 << -1;
        QTest::newRow("a break") << 2000 << 10 << 1000;
    }
    void reductionKeepsBursts()
    {
        QFETCH(int, sweeps);
        QFETCH(int, burst);
        QFETCH(int, gap);
        constexpr qint64 kIntervalMs = 346;
        constexpr int kRows = 300;
        WaterfallReduction reduction;
        WaterfallReduction::Levels quiet;
        quiet.fill(kNoiseDbm);
        for (int sweep = 0; sweep < sweeps; ++sweep) {
            WaterfallReduction::Levels levels = quiet;
            levels[kQuietChannel - 7] = sweep == burst ? kCarrierDbm : kNoiseDbm;
            if (sweep == gap) {
                reduction.breakRun();
            }
            reduction.addSweep((sweep + (gap >= 0 && sweep >= gap ? gap : 0)) * kIntervalMs,
                               levels);
        }
        const ReducedRows rows = reduction.rows(kRows);
        QCOMPARE(rows.rowCount(), kRows);
        int firstBurst = -1;
        int empty = 0;
        for (int age = kRows - 1; age >= 0; --age) {
            const HistoryRow row = rows.row(age);
            firstBurst =
                firstBurst < 0 && row.dbm[kQuietChannel - 7] == kCarrierDbm ? age : firstBurst;
            empty += row.dbm[0] == MonitorState::kNoReading ? 1 : 0;
        }
        QVERIFY(firstBurst >= 0);
        // Its row begins no later than the burst, and the next one after it.
        const qint64 burstMs = burst * kIntervalMs;
        QVERIFY(rows.row(firstBurst).utcMs <= burstMs);
        QVERIFY(firstBurst == 0 || rows.row(firstBurst - 1).utcMs > burstMs);
        QCOMPARE(empty > 0, gap >= 0);
    }

    // The waterfall page shows the carrier's column in the colour of its level and a quiet
    // channel's in the colour of the noise.
    void waterfallShowsTheCarrier()
    {
        const QString prefix = path(QStringLiteral("page"));
        QCOMPARE(run(QStringLiteral("pdftoppm"),
                     {QStringLiteral("-f"), QStringLiteral("2"), QStringLiteral("-l"),
                      QStringLiteral("2"), QStringLiteral("-r"), QStringLiteral("96"),
                      QStringLiteral("-png"), QStringLiteral("-singlefile"),
                      path(QStringLiteral("live.pdf")), prefix})
                     .exitCode,
                 0);
        const QImage page(prefix + QStringLiteral(".png"));
        QVERIFY(!page.isNull());
        // A4 at 96 dpi within margins of 15 mm; the cells between the time column and the legend.
        const double margin = 15.0 / 25.4 * 96.0;
        const double cellsLeft = margin + 64;
        const double cellsWidth = (210.0 - 30.0) / 25.4 * 96.0 - 64 - 96;
        const auto colourOf = [&](int channel) {
            const double x = cellsLeft + cellsWidth * (channel - 7 + 0.5) / 40;
            return page.pixel(static_cast<int>(x), page.height() / 2);
        };
        const QRgb carrier = chart::colormap::colourFor(kCarrierDbm);
        QVERIFY2(distance(colourOf(kCarrierChannel), carrier) < 60,
                 qPrintable(QColor(colourOf(kCarrierChannel)).name()));
        const QRgb noise = chart::colormap::colourFor(kNoiseDbm);
        QVERIFY2(distance(colourOf(kQuietChannel), noise) <
                     distance(colourOf(kQuietChannel), carrier),
                 qPrintable(QColor(colourOf(kQuietChannel)).name()));
    }

    // Under a Japanese locale the headings, the warnings and the plan's reasons are Japanese, in
    // an embedded font that has them; standard error keeps its English for scripts.
    void japaneseLocale()
    {
        const QString pdf = path(QStringLiteral("ja.pdf"));
        const Run replay =
            scan({QStringLiteral("--replay"), path(QStringLiteral("named.jsonl")),
                  QStringLiteral("--plan"), QStringLiteral("3"), QStringLiteral("--report"), pdf},
                 {QStringLiteral("LANG=ja_JP.UTF-8"), QStringLiteral("LC_ALL=ja_JP.UTF-8")});
        QVERIFY2(replay.exitCode == 0, qPrintable(replay.errors));
        QVERIFY2(replay.errors.contains(QStringLiteral("less than 24 hours")),
                 qPrintable(replay.errors));
        // Japanese wraps anywhere: the words are found with the line ends taken out.
        const QString text = pdfText(pdf).remove(QRegularExpression(QStringLiteral("\\s")));
        QVERIFY(text.contains(QStringLiteral("測定の概要")));
        QVERIFY2(text.contains(QStringLiteral("24時間に満たないため")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("最良の組み合わせに含まれない")), qPrintable(text));
        const QString list = run(QStringLiteral("pdffonts"), {pdf}).output;
        QVERIFY2(QRegularExpression(QStringLiteral("CJK.* yes ")).match(list).hasMatch(),
                 qPrintable(list));
    }

    // A report that cannot be made says why with its own status and leaves no file.
    void badInput_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("span");
        QTest::addColumn<int>("status");
        QTest::newRow("missing file") << "missing.jsonl"
                                      << "" << 3;
        QTest::newRow("foreign file") << "foreign.txt"
                                      << "" << 4;
        QTest::newRow("empty span") << "live.jsonl"
                                    << "--from 2000-01-01T00:00 --to 2000-01-02T00:00" << 9;
    }
    void badInput()
    {
        QFETCH(QString, input);
        QFETCH(QString, span);
        QFETCH(int, status);
        QFile foreign(path(QStringLiteral("foreign.txt")));
        QVERIFY(foreign.open(QIODevice::WriteOnly) && foreign.write("Dear customer,\n") > 0);
        foreign.close();
        QTemporaryDir out;
        const QString pdf = out.filePath(QStringLiteral("bad.pdf"));
        const Run replay = scan(
            QStringList{QStringLiteral("--replay"), path(input), QStringLiteral("--report"), pdf} +
            span.split(QLatin1Char(' '), Qt::SkipEmptyParts));
        QCOMPARE(replay.exitCode, status);
        QVERIFY(!replay.errors.isEmpty());
        QCOMPARE(QDir(out.path()).entryList(QDir::Files), QStringList());
    }
};

QTEST_MAIN(TestReport)
#include "tst_report.moc"
