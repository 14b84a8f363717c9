// The history beside the monitor window, fed through the window's own sweep engine: the ring of
// sweeps, run separators, occupancy and statistics, and the main window's shortcuts.
#include "engine/alarm/alarmwatch.h"
#include "engine/history/hourgrid.h"
#include "engine/history/sweephistory.h"
#include "engine/plan/plansearch.h"
#include "engine/protocol/sweepengine.h"
#include "engine/record/outputfile.h"
#include "engine/record/plansurvey.h"
#include "painters/hourmappainter.h"
#include "painters/waterfallpainter.h"
#include "programs/monitor/alarmstore.h"
#include "programs/monitor/monitorprogram.h"
#include "programs/monitor/translations.h"
#include "scriptedlink.h"
#include "windows/history/alarmspane.h"
#include "windows/history/helpwindow.h"
#include "windows/history/historywindow.h"
#include "windows/history/hourmapview.h"
#include "windows/history/occupancyview.h"
#include "windows/history/planpane.h"
#include "windows/history/statisticsmodel.h"
#include "windows/history/waterfallview.h"
#include "windows/main/mainwindow.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSpinBox>
#include <QSplitter>
#include <QStyleOptionHeader>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <memory>

namespace {

constexpr int kChannels = 40;
constexpr qint64 kStartMs = 1'765'000'000'000;
constexpr qint64 kSweepMs = 1000;

SweepRecord sweepAt(qint64 utcMs)
{
    SweepRecord sweep;
    sweep.utcMs = utcMs;
    return sweep;
}

// A CSV recording of `count` sweeps `stepMs` apart, all quiet but channel 12 where `busy` says.
bool writeRecording(const QString &path, int count, qint64 firstMs, qint64 stepMs,
                    const std::function<bool(int, qint64)> &busy)
{
    QFile::remove(path);
    OutputFile file(path, RecordFormat::Csv);
    bool written = file.open();
    for (int n = 0; written && n < count; ++n) {
        SweepRecord sweep = sweepAt(firstMs + n * stepMs);
        sweep.sweep = n + 1;
        sweep.dbm.fill(-120);
        sweep.dbm[5] = qint16(busy(n, sweep.utcMs) ? -60 : -120);
        written = file.write(sweep);
    }
    return written;
}

// The newest-first times of the rows, a separator shown as -1.
QList<qint64> rowTimes(const SweepHistory &history)
{
    QList<qint64> times;
    for (int age = 0; age < history.size(); ++age) {
        times.append(history.at(age).runStart ? -1 : history.at(age).utcMs);
    }
    return times;
}

QList<int> sectionSizes(const QHeaderView &header)
{
    QList<int> sizes;
    for (int section = 0; section < header.count(); ++section) {
        sizes.append(header.sectionSize(section));
    }
    return sizes;
}

// Whether a local time falls in the hours `from` to `to` of the given days (1 Monday to 7
// Sunday); a span that ends before it starts runs into the next day.
bool inHours(qint64 utcMs, const QList<int> &days, int from, int to)
{
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(utcMs, Qt::LocalTime);
    const int day = local.date().dayOfWeek();
    const int hour = local.time().hour();
    if (to > from) {
        return days.contains(day) && hour >= from && hour < to;
    }
    return (days.contains(day) && hour >= from) ||
           (days.contains(day == 1 ? 7 : day - 1) && hour < to);
}

// Pixels in the alarm marks' colour.
int alarmPixels(QWidget &view)
{
    const QImage image = view.grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += image.pixelColor(x, y) == QColor(Qt::red) ? 1 : 0;
        }
    }
    return count;
}

// Chooses the menu entry with this text, as a click would; false where the window has none.
bool triggerEntry(QWidget &window, const QString &text)
{
    const QList<QAction *> actions = window.findChildren<QAction *>();
    const auto action = std::find_if(actions.cbegin(), actions.cend(),
                                     [&text](QAction *a) { return a->text() == text; });
    if (action == actions.cend()) {
        return false;
    }
    (*action)->trigger();
    return true;
}

} // namespace

class TestHistory : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<MonitorProgram> m_program;
    MainWindow *m_window = nullptr;
    ScriptedLink *m_link = nullptr; // the window's

    // One reading per channel from `first` on, as the sweep stores them; all 40 end a sweep.
    void storeReadings(int first, int count, qint64 utcMs, const QList<qint16> &levels = {})
    {
        for (int index = first; index < first + count; ++index) {
            const qint16 dbm = index < levels.size() ? levels.at(index) : qint16(-120);
            Q_EMIT m_window->engine().readingStored(Reading{index, dbm, utcMs, RadioMode::Fsk});
        }
    }

    void startProgram()
    {
        MonitorProgram::Services services;
        auto link = std::make_unique<ScriptedLink>();
        m_link = link.get();
        services.link = std::move(link);
        services.window.settingsPath = m_dir.filePath(QStringLiteral("monitor.ini"));
        services.alarmStorePath = m_dir.filePath("alarms.ini");
        services.arrangementPath = m_dir.filePath("history.ini");
        m_program = std::make_unique<MonitorProgram>(std::move(services));
        m_window = &m_program->window();
    }
    HistoryWindow *openHistory()
    {
        m_program->showHistory();
        return m_program->historyWindow();
    }
    // Every export asks for a file and gets this one.
    void saveTo(const QString &path)
    {
        m_program->setSavePathChooser(
            [path](QWidget *, const QString &, const QString &, const QString &) { return path; });
    }

private Q_SLOTS:
    void init() { startProgram(); }
    void cleanup()
    {
        m_window = nullptr;
        m_program.reset();
        QFile::remove(m_dir.filePath("history.ini"));
    }

    void ringIsBoundedAndOrdered_data()
    {
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("sweeps");
        QTest::addColumn<QList<qint64>>("expected");
        QTest::addColumn<int>("dropped");
        QTest::newRow("not full") << 4 << 3 << QList<qint64>{3, 2, 1} << 0;
        QTest::newRow("exactly full") << 3 << 3 << QList<qint64>{3, 2, 1} << 0;
        QTest::newRow("wrapped") << 3 << 5 << QList<qint64>{5, 4, 3} << 2;
        QTest::newRow("wrapped many times") << 2 << 7 << QList<qint64>{7, 6} << 5;
    }
    void ringIsBoundedAndOrdered()
    {
        QFETCH(int, capacity);
        QFETCH(int, sweeps);
        QFETCH(QList<qint64>, expected);
        QFETCH(int, dropped);
        SweepHistory history(capacity);
        QSignalSpy drops(&history, &SweepHistory::rowDropped);
        QVERIFY(drops.isValid());
        for (int n = 1; n <= sweeps; ++n) {
            history.append(sweepAt(n));
        }
        QCOMPARE(rowTimes(history), expected);
        QCOMPARE(drops.size(), dropped);
    }

    // A run start puts a separator before its first sweep; an unfinished sweep cut by the
    // new run never becomes a row, not even with the rest of the channels from the new run, and
    // a run that ends before a sweep leaves one separator.
    void separatorWhereARunBegins()
    {
        SweepEngine &engine = m_window->engine();
        Q_EMIT engine.runStarted();
        storeReadings(0, kChannels, kStartMs);
        storeReadings(0, 25, kStartMs + kSweepMs);
        Q_EMIT engine.runStarted();
        Q_EMIT engine.runStarted();
        storeReadings(25, kChannels - 25, kStartMs + 2 * kSweepMs);
        storeReadings(0, kChannels, kStartMs + 3 * kSweepMs);
        QCOMPARE(rowTimes(m_program->history()),
                 (QList<qint64>{kStartMs + 3 * kSweepMs, -1, kStartMs, -1}));
    }

    void occupancyAndStatistics_data()
    {
        QTest::addColumn<QList<qint16>>("levels"); // channel 7, one sweep a second
        QTest::addColumn<int>("threshold");
        QTest::addColumn<QString>("occupancy");
        QTest::addColumn<QString>("bursts");
        QTest::addColumn<QString>("longest");
        QTest::addColumn<QString>("mean");
        QTest::addColumn<int>("runStartsBefore"); // a sweep index, or -1
        const auto row = [](const char *name, const QList<qint16> &levels, int threshold,
                            const char *occupancy, const char *bursts, const char *longest,
                            const char *mean, int runStartsBefore) {
            QTest::newRow(name) << levels << threshold << occupancy << bursts << longest << mean
                                << runStartsBefore;
        };
        const QList<qint16> bursty{-80, -80, -130, -120, -90, -120, -120, -120, -120, -120};
        row("two bursts in ten", bursty, -100, "30.0", "2", "2.0", "-110.0", -1);
        row("threshold below all", bursty, -140, "100.0", "1", "9.0", "-110.0", -1);
        row("threshold above all", bursty, -70, "0.0", "0", "0.0", "-110.0", -1);
        row("level on the threshold is not above", {-100, -100, -99}, -100, "33.3", "1", "0.0",
            "-99.7", -1);
        row("a new run ends a burst", {-80, -80, -80, -80}, -100, "100.0", "2", "1.0", "-80.0", 2);
    }
    void occupancyAndStatistics()
    {
        QFETCH(QList<qint16>, levels);
        QFETCH(int, threshold);
        QFETCH(int, runStartsBefore);
        HistoryWindow *window = openHistory();
        QVERIFY(window != nullptr);
        // The last sweep arrives now, the others a second apart before it: one sweep a second.
        const qint64 first = QDateTime::currentMSecsSinceEpoch() - (levels.size() - 1) * kSweepMs;
        for (qsizetype n = 0; n < levels.size(); ++n) {
            if (n == runStartsBefore) {
                Q_EMIT m_window->engine().runStarted();
            }
            storeReadings(0, kChannels, first + n * kSweepMs, {levels.at(n)});
        }
        // The box recounts the rows already held.
        window->findChild<QSpinBox *>(QStringLiteral("threshold"))->setValue(threshold);

        auto *table = window->findChild<QTableView *>(QStringLiteral("statistics"));
        // Sorted by value, not by text: -99.7 comes before -120.0 and -109.0 before -120.0.
        table->sortByColumn(StatisticsModel::Mean, Qt::DescendingOrder);
        const QAbstractItemModel *model = table->model();
        const auto cell = [model](int column) { return model->index(0, column).data().toString(); };
        QCOMPARE(cell(StatisticsModel::Channel), QStringLiteral("7"));
        QTEST(cell(StatisticsModel::Occupancy), "occupancy");
        QTEST(cell(StatisticsModel::Bursts), "bursts");
        QTEST(cell(StatisticsModel::LongestBurst), "longest");
        QTEST(cell(StatisticsModel::Mean), "mean");
        QCOMPARE(model->index(1, StatisticsModel::Mean).data().toString(),
                 QStringLiteral("-120.0"));
        table->sortByColumn(StatisticsModel::Max, Qt::DescendingOrder);
        QCOMPARE(cell(StatisticsModel::Channel), QStringLiteral("7"));
        QTRY_COMPARE(window->findChild<QLabel *>(QStringLiteral("sweepRate"))->text(),
                     QStringLiteral("1.00 sweeps/s"));
    }

    // A recording opened again: the figures of the whole file, of a span dragged across the
    // waterfall, and beside a baseline.
    void openedRecordingSpanAndBaseline()
    {
        const QString path = m_dir.filePath(QStringLiteral("night.csv"));
        // Channel 12 busy in the older half only.
        QVERIFY(writeRecording(path, 20, kStartMs, kSweepMs, [](int n, qint64) { return n < 10; }));
        const QString tracePath = m_dir.filePath(QStringLiteral("trace.csv"));
        saveTo(tracePath);
        HistoryWindow *window = openHistory();
        window->openRecording(path);
        QTRY_VERIFY(!window->isLoading());
        auto *source = window->findChild<QLabel *>(QStringLiteral("sourceStatus"));
        QVERIFY2(source->text().contains(QStringLiteral("night.csv")), qPrintable(source->text()));
        const QAbstractItemModel *model =
            window->findChild<QTableView *>(QStringLiteral("statistics"))->model();
        const auto channel12 = [model](int column) {
            return model->index(5, column).data().toString();
        };
        QCOMPARE(channel12(StatisticsModel::Occupancy), QStringLiteral("50.0"));
        // Read in the background, the window answering meanwhile.
        window->compareWith(path);
        QVERIFY(window->isLoading());
        QTRY_COMPARE(channel12(StatisticsModel::BaselineOccupancy), QStringLiteral("50.0"));

        // The older ten sweeps, below the newer ten; the oldest row is the run's separator.
        auto *waterfall = window->findChild<WaterfallView *>(QStringLiteral("waterfall"));
        QWidget *rows = waterfall->viewport();
        const int x = rows->width() / 2;
        // Louder is lighter, in the cells as on the legend, whose marks run from 0 dBm near its
        // top to -140 dBm at its foot.
        const QImage shot = rows->grab().toImage();
        const chart::WaterfallGeometry geometry(rows->rect());
        const auto cellX = [&geometry](int index) {
            return geometry.cells.left() + geometry.cells.width() * (2 * index + 1) / 80;
        };
        const int y15 = waterfall->rowY(15) + 1;
        QVERIFY(shot.pixelColor(cellX(5), y15).lightness() >
                shot.pixelColor(cellX(0), y15).lightness());
        const int markX = geometry.legend.left() + 20; // beside the bar, 6 + 14 px from the left
        const int barTop = geometry.legend.top() + QFontMetrics(rows->font()).height() / 2;
        const int barBottom =
            geometry.legend.bottom() - (QFontMetrics(rows->font()).height() + 1) / 2;
        const QColor between = shot.pixelColor(markX, barTop + (barBottom - barTop) / 30);
        QCOMPARE(shot.pixelColor(markX, barTop), between);
        QVERIFY(shot.pixelColor(markX, barBottom) != between);
        QTest::mousePress(rows, Qt::LeftButton, {}, QPoint(x, waterfall->rowY(10) + 1));
        QTest::mouseMove(rows, QPoint(x, waterfall->rowY(19) + 1));
        QTest::mouseRelease(rows, Qt::LeftButton, {}, QPoint(x, waterfall->rowY(19) + 1));
        QCOMPARE(channel12(StatisticsModel::Occupancy), QStringLiteral("100.0"));
        QCOMPARE(channel12(StatisticsModel::OccupancyChange), QStringLiteral("+50.0"));
        auto *span = window->findChild<QLabel *>(QStringLiteral("spanStatus"));
        QVERIFY2(span->text().contains(QStringLiteral("10 sweeps")), qPrintable(span->text()));
        // The trace is of the span too: channel 12 (429.3125 MHz) busy throughout it.
        window->findChild<QAction *>(QStringLiteral("exportTraceMedian"))->trigger();
        QFile trace(tracePath);
        QVERIFY(trace.open(QIODevice::ReadOnly));
        const QList<QByteArray> traceLines = trace.readAll().split('\n');
        QCOMPARE(traceLines.size(), 41);
        QCOMPARE(traceLines[5], QByteArray("429.3125,-60.0\r"));

        // The newer ten and one busy sweep, up to the newest row: 1 of 11 above.
        QTest::mousePress(rows, Qt::LeftButton, {}, QPoint(x, waterfall->rowY(0) + 1));
        QTest::mouseMove(rows, QPoint(x, waterfall->rowY(10) + 1));
        QTest::mouseRelease(rows, Qt::LeftButton, {}, QPoint(x, waterfall->rowY(10) + 1));
        QCOMPARE(channel12(StatisticsModel::Occupancy), QStringLiteral("9.1"));
        QVERIFY2(span->text().contains(QStringLiteral("11 sweeps")), qPrintable(span->text()));

        QTest::keyClick(waterfall, Qt::Key_Escape);
        QCOMPARE(channel12(StatisticsModel::Occupancy), QStringLiteral("50.0"));
        QVERIFY(span->text().isEmpty());
    }

    // The hours typed in the box restrict the table and the statistics export to readings inside
    // them, as counted here; an entry that cannot be read says why and changes nothing.
    void hoursBoxRestrictsTheFigures_data()
    {
        QTest::addColumn<QString>("hoursText");
        QTest::addColumn<QList<int>>("days"); // empty: refused
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        const QList<int> week{1, 2, 3, 4, 5, 6, 7};
        QTest::newRow("office hours")
            << "Mon-Fri 08:00-18:00" << QList<int>{1, 2, 3, 4, 5} << 8 << 18;
        QTest::newRow("weekend") << "Sat,Sun 00:00-24:00" << QList<int>{6, 7} << 0 << 24;
        QTest::newRow("every night") << "22:00-06:00" << week << 22 << 6;
        QTest::newRow("Friday night into Saturday")
            << "Fri 20:00-02:00" << QList<int>{5} << 20 << 2;
        QTest::newRow("no such hour") << "Mon-Fri 08:00-25:00" << QList<int>{} << 0 << 0;
        QTest::newRow("no such day") << "Moonday 08:00-10:00" << QList<int>{} << 0 << 0;
        QTest::newRow("no span") << "Mon-Fri" << QList<int>{} << 0 << 0;
    }
    void hoursBoxRestrictsTheFigures()
    {
        QFETCH(QString, hoursText);
        QFETCH(QList<int>, days);
        QFETCH(int, from);
        QFETCH(int, to);
        // Friday 00:00 UTC to Monday noon, a sweep every 20 minutes; channel 12 busy every third
        // sweep and through the morning.
        const qint64 friday =
            QDateTime(QDate(2026, 12, 4), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();
        const QString path = m_dir.filePath(QStringLiteral("hours.csv"));
        int inside = 0;
        int busyInside = 0;
        QVERIFY(writeRecording(path, 84 * 3, friday, 20 * 60 * 1000LL, [&](int n, qint64 utcMs) {
            const int hour = QDateTime::fromMSecsSinceEpoch(utcMs).time().hour();
            const bool busy = n % 3 == 0 || (hour >= 7 && hour < 11);
            const bool counted = inHours(utcMs, days, from, to);
            inside += counted ? 1 : 0;
            busyInside += counted && busy ? 1 : 0;
            return busy;
        }));
        const QString exportPath = m_dir.filePath(QStringLiteral("summary.csv"));
        saveTo(exportPath);
        HistoryWindow *window = openHistory();
        window->openRecording(path);
        QTRY_VERIFY(!window->isLoading());
        const QAbstractItemModel *model =
            window->findChild<QTableView *>(QStringLiteral("statistics"))->model();
        const QString whole = model->index(5, StatisticsModel::Occupancy).data().toString();

        auto *box = window->findChild<QLineEdit *>(QStringLiteral("hours"));
        box->setFocus();
        QTest::keyClicks(box, hoursText);
        QTest::keyClick(box, Qt::Key_Return);
        auto *error = window->findChild<QLabel *>(QStringLiteral("hoursError"));
        QString reason;
        QCOMPARE(HourWindows::parse(hoursText, &reason).has_value(), !days.isEmpty());
        QCOMPARE(error->isVisibleTo(window), days.isEmpty());
        QCOMPARE(error->text(), reason);
        const QString expected =
            days.isEmpty() ? whole : QString::number(100.0 * busyInside / inside, 'f', 1);
        QCOMPARE(model->index(5, StatisticsModel::Occupancy).data().toString(), expected);

        QVERIFY(triggerEntry(*window, QStringLiteral("&Export statistics (CSV)…")));
        QFile summary(exportPath);
        QVERIFY(summary.open(QIODevice::ReadOnly));
        const QList<QByteArray> header = summary.readLine().trimmed().split(',');
        QList<QByteArray> row;
        for (int line = 0; line <= 5; ++line) {
            row = summary.readLine().trimmed().split(',');
        }
        QCOMPARE(QString::number(row.at(header.indexOf("occupancy_pct")).toDouble(), 'f', 1),
                 expected);
    }

    // Each bar's whisker runs from the low to the high end of its interval; a channel without
    // readings has none.
    void whiskersSpanTheInterval_data()
    {
        QTest::addColumn<int>("busy"); // of 60 readings, busy first
        QTest::newRow("none busy") << 0;
        QTest::newRow("one busy") << 1;
        QTest::newRow("half busy") << 30;
        QTest::newRow("all busy") << 60;
    }
    void whiskersSpanTheInterval()
    {
        QFETCH(int, busy);
        ChannelStatistics statistics;
        for (int n = 0; n < 60; ++n) {
            // Spread evenly, so that the readings look independent.
            const bool on = n * busy / 60 != (n + 1) * busy / 60;
            statistics.addReading(
                Reading{3, qint16(on ? -60 : -120), kStartMs + n * kSweepMs, RadioMode::Fsk});
        }
        const ChannelSummary summary = statistics.channel(3);
        QCOMPARE(qRound64(summary.occupancyPct * 60 / 100), busy);
        OccupancyView view(statistics);
        view.resize(800, 240);
        const QImage image = view.grab().toImage();
        const QRect plot = view.plotArea();
        const QColor whisker = view.palette().color(QPalette::Text);
        const auto span = [&](int index) {
            QList<int> ys;
            for (int y = plot.top(); y <= plot.bottom(); ++y) {
                if (image.pixelColor(OccupancyView::barCentre(plot, index), y) == whisker) {
                    ys.append(y);
                }
            }
            return ys;
        };
        const QList<int> drawn = span(3);
        QVERIFY(!drawn.isEmpty());
        QCOMPARE(drawn.first(), OccupancyView::percentY(plot, summary.occupancyHighPct));
        QCOMPARE(drawn.last(), OccupancyView::percentY(plot, summary.occupancyLowPct));
        QCOMPARE(drawn.size(), drawn.last() - drawn.first() + 1);
        QVERIFY(span(4).isEmpty());
    }

    // The heat map paints each cell in the colour of its occupancy, a quiet channel's in the
    // ramp's bottom colour, and frames the busy hour of the days chosen only.
    void hourMapColoursAndMarksTheBusyHour_data()
    {
        QTest::addColumn<int>("selection"); // DaySelection
        QTest::addColumn<int>("busyHour");
        QTest::addColumn<int>("busyOf20");
        QTest::newRow("weekdays") << int(DaySelection::Weekdays) << 9 << 15;
        QTest::newRow("weekends") << int(DaySelection::Weekends) << 21 << 4;
        QTest::newRow("all days") << int(DaySelection::AllDays) << 9 << 15;
    }
    void hourMapColoursAndMarksTheBusyHour()
    {
        QFETCH(int, selection);
        QFETCH(int, busyHour);
        QFETCH(int, busyOf20);
        // Channel 8 busy 15 of 20 at 09 on weekdays, 4 of 20 at 21 on weekends, 1 of 20 at
        // other hours; channel 30 never.
        HourOfDayMap map;
        for (int hour = 0; hour < 24; ++hour) {
            for (const DayType day : {DayType::Weekday, DayType::Weekend}) {
                const int busy = hour == 9 && day == DayType::Weekday    ? 15
                                 : hour == 21 && day == DayType::Weekend ? 4
                                                                         : 1;
                for (int n = 0; n < 20; ++n) {
                    map.add(1, hour, day, n < busy);
                    map.add(23, hour, day, false);
                }
            }
        }
        const HourGrid grid(map, static_cast<DaySelection>(selection));
        QImage image(900, 400, QImage::Format_RGB32);
        QPainter painter(&image);
        chart::HourMapPainter(painter, {Qt::white, Qt::black, Qt::gray}).paint(image.rect(), grid);
        painter.end();
        const chart::HourMapGeometry geometry(image.rect());
        const auto pixel = [&](int index, int hour, bool corner) {
            const QRect cell = geometry.cell(index, hour);
            return image.pixelColor(corner ? cell.topLeft() : cell.center());
        };
        const double days = selection == int(DaySelection::AllDays) ? 2.0 : 1.0;
        const double percent = selection == int(DaySelection::AllDays)
                                   ? 100.0 * (busyOf20 + 1) / (20 * days)
                                   : 100.0 * busyOf20 / 20;
        QCOMPARE(pixel(1, busyHour, false), chart::HourMapPainter::cellColour(percent));
        QVERIFY(pixel(1, busyHour, true) != pixel(1, busyHour, false));
        const int other = (busyHour + 5) % 24;
        QCOMPARE(pixel(1, other, true), pixel(1, other, false));
        QCOMPARE(pixel(23, busyHour, false), chart::HourMapPainter::cellColour(0.0));
        QCOMPARE(pixel(23, other, false), chart::HourMapPainter::cellColour(0.0));
        // Never busy: no hour framed.
        QCOMPARE(pixel(23, 0, true), pixel(23, 0, false));
    }

    // Each export of the File menu goes through the one export path: the file chosen is
    // written whole, or the window says why not and leaves no file.
    void exportsWriteTheirFileOrWarn_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<bool>("writable");
        const QByteArray png("\x89PNG");
        const QByteArray summary("channel,mhz,");
        for (const bool writable : {true, false}) {
            const char *where = writable ? "written" : "missing folder";
            QTest::addRow("waterfall image, %s", where)
                << "Save &waterfall image…" << png << writable;
            QTest::addRow("statistics, %s", where)
                << "&Export statistics (CSV)…" << summary << writable;
            QTest::addRow("trace, %s", where) << "&Mean…" << QByteArray("429.2500,") << writable;
        }
    }
    void exportsWriteTheirFileOrWarn()
    {
        QFETCH(QString, entry);
        QFETCH(QByteArray, start);
        QFETCH(bool, writable);
        const QString path =
            m_dir.filePath(writable ? QStringLiteral("export") : QStringLiteral("none/export"));
        QFile::remove(path);
        saveTo(path);
        storeReadings(0, kChannels, QDateTime::currentMSecsSinceEpoch());
        HistoryWindow *window = openHistory();
        QVERIFY(triggerEntry(*window, entry));
        QFile file(path);
        QCOMPARE(file.open(QIODevice::ReadOnly), writable);
        QVERIFY(!writable || file.readAll().startsWith(start));
        const auto *box = window->findChild<QMessageBox *>();
        QCOMPARE(box != nullptr, !writable);
        if (box != nullptr) {
            QVERIFY2(box->text().startsWith(path + QLatin1String(": ")), qPrintable(box->text()));
        }
    }

    // The report of the live history lists the alarm raised before the window was opened.
    void reportListsTheAlarmsOfTheSpan()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
            QSKIP("poppler-utils is not installed");
        }
        QCOMPARE(m_program->alarms().setRules({{QStringLiteral("ch=7,above=-90"), true, false}}),
                 QString());
        const qint64 first = QDateTime::currentMSecsSinceEpoch() - 3 * kSweepMs;
        for (int n = 0; n < 3; ++n) {
            storeReadings(0, kChannels, first + n * kSweepMs,
                          {n == 1 ? qint16(-60) : qint16(-120)});
        }
        const QString pdf = m_dir.filePath(QStringLiteral("alarms.pdf"));
        saveTo(pdf);
        openHistory()->findChild<QAction *>(QStringLiteral("exportReport"))->trigger();
        QTRY_VERIFY(QFile::exists(pdf));
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished());
        QVERIFY(QString::fromUtf8(text.readAllStandardOutput())
                    .simplified()
                    .contains(QStringLiteral("Raised 1,")));
    }

    // The Plan view searches the figures the window shows, as a direct search of the same
    // readings does, frames the planned columns of the occupancy bars and exports the reasons;
    // a list it cannot read is refused with the reason.
    void planPaneMatchesTheSearch_data()
    {
        QTest::addColumn<QString>("field"); // a line edit's objectName
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("products"); // none, third, fifth
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("translation"); // empty: English
        QTest::newRow("best four, third order") << "planAllowed"
                                                << "7-46" << 4 << 1 << false << QString();
        QTest::newRow("fixed channels, fifth order") << "planFixed"
                                                     << "20,23" << 3 << 2 << false << QString();
        QTest::newRow("strong carrier kept away") << "planStrong"
                                                  << "-50:2" << 5 << 0 << false << QString();
        QTest::newRow("nine cannot avoid third order") << "planAvoided"
                                                       << "" << 9 << 1 << false << QString();
        QTest::newRow("fixed channels, in Japanese")
            << "planFixed"
            << "20,23" << 3 << 2 << false << QStringLiteral(":/i18n/kvt318_ja");
        QTest::newRow("channel outside the band") << "planAllowed"
                                                  << "7-50" << 4 << 1 << true << QString();
        QTest::newRow("not a channel") << "planAvoided"
                                       << "9,x" << 4 << 1 << true << QString();
    }
    void planPaneMatchesTheSearch()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(int, size);
        QFETCH(int, products);
        QFETCH(bool, refused);
        QFETCH(QString, translation);
        QTranslator translator;
        QVERIFY(translation.isEmpty() || translator.load(translation));
        QCoreApplication::installTranslator(&translator);
        const auto uninstall =
            qScopeGuard([&translator] { QCoreApplication::removeTranslator(&translator); });
        const QString csv = m_dir.filePath(QStringLiteral("plan.csv"));
        saveTo(csv);
        HistoryWindow *window = openHistory();
        auto *pane = window->findChild<PlanPane *>();
        QVERIFY(pane != nullptr);
        const auto threshold = static_cast<qint16>(
            window->findChild<QSpinBox *>(QStringLiteral("threshold"))->value());
        ChannelStatistics expected(threshold);
        const qint64 first = QDateTime::currentMSecsSinceEpoch() - 20 * kSweepMs;
        for (int n = 0; n < 20; ++n) {
            QList<qint16> levels;
            for (int index = 0; index < kChannels; ++index) {
                const bool busy = n < (index * 7) % 20;
                levels.append(index == 12 && n == 0 ? qint16(-40)
                              : busy                ? qint16(-70)
                                                    : qint16(-120));
                expected.addReading(
                    Reading{index, levels.constLast(), first + n * kSweepMs, RadioMode::Fsk});
            }
            storeReadings(0, kChannels, first + n * kSweepMs, levels);
        }
        window->findChild<QLineEdit *>(field)->setText(text);
        window->findChild<QSpinBox *>(QStringLiteral("planSize"))->setValue(size);
        window->findChild<QComboBox *>(QStringLiteral("planProducts"))->setCurrentIndex(products);
        window->findChild<QPushButton *>(QStringLiteral("makePlan"))->click();
        const QString result = window->findChild<QLabel *>(QStringLiteral("planResult"))->text();
        QString refusal;
        if (refused) {
            QVERIFY(!plan::parseChannelList(text, &refusal));
            QVERIFY2(result.endsWith(refusal), qPrintable(result));
            QVERIFY(!pane->report());
            return;
        }
        QTRY_VERIFY(pane->report());

        PlanConstraints rules;
        rules.size = size;
        rules.products = PlanProducts(products);
        if (field == QLatin1String("planFixed")) {
            rules.fixed = *plan::parseChannelList(text, nullptr);
        } else if (field == QLatin1String("planStrong")) {
            rules.strong.push_back(*plan::parseStrongRule(text));
        }
        const PlanSurvey survey = plansurvey::fromStatistics(expected);
        const PlanResult direct = PlanSearch(survey, rules).solve();
        const PlanResult &shown = pane->report()->result;
        QCOMPARE(shown.plan.channels, direct.plan.channels);
        QCOMPARE(shown.feasible, direct.feasible);
        // Every reason in the window's language: none is the files' English.
        const auto *reasons = window->findChild<QTableWidget *>(QStringLiteral("planReasons"));
        for (const ChannelVerdict &verdict : pane->report()->channels) {
            const QString cell = reasons->item(verdict.index, 3)->text();
            for (const PlanReason &reason : verdict.reasons) {
                QCOMPARE(cell.contains(plan::reasonText(reason, pane->report()->constraints)),
                         translation.isEmpty());
            }
        }
        const QString planned = window->findChild<QLabel *>(QStringLiteral("planResult"))->text();
        QVERIFY2(
            direct.feasible ||
                planned.contains(QStringLiteral("at most %1 can").arg(direct.plan.channels.size())),
            qPrintable(planned));

        auto *bars = window->findChild<OccupancyView *>();
        const QImage image = bars->grab().toImage();
        const int scrollBar = bars->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, bars);
        const QRect cells =
            chart::WaterfallGeometry(bars->rect().adjusted(0, 0, -scrollBar, 0)).cells;
        for (int index = 0; index < kChannels; ++index) {
            bool framed = false;
            for (int x = cells.left() + cells.width() * index / kChannels;
                 x < cells.left() + cells.width() * (index + 1) / kChannels; ++x) {
                framed = framed ||
                         image.pixelColor(x, image.height() / 2) == OccupancyView::planColour();
            }
            const bool inPlan =
                std::find(direct.plan.channels.cbegin(), direct.plan.channels.cend(), index) !=
                direct.plan.channels.cend();
            QVERIFY2(framed == inPlan, qPrintable(QString::number(index)));
        }

        window->findChild<QPushButton *>(QStringLiteral("exportPlan"))->click();
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().count('\n'), kChannels + 1);
    }

    void shortcutsReachTheirActions_data()
    {
        QTest::addColumn<QKeySequence>("keys");
        QTest::newRow("Ctrl+H history") << QKeySequence(Qt::CTRL | Qt::Key_H);
        QTest::newRow("Ctrl+R max hold") << QKeySequence(Qt::CTRL | Qt::Key_R);
        QTest::newRow("Ctrl+S chart image") << QKeySequence(Qt::CTRL | Qt::Key_S);
        QTest::newRow("F1 help") << QKeySequence(Qt::Key_F1);
    }
    void shortcutsReachTheirActions()
    {
        QFETCH(QKeySequence, keys);
        const QString imagePath = m_dir.filePath(QStringLiteral("chart.png"));
        QFile::remove(imagePath);
        m_program->setSavePathChooser(
            [imagePath](QWidget *, const QString &, const QString &proposed, const QString &) {
                return proposed.endsWith(QLatin1String(".png")) ? imagePath : QString();
            });
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window));
        // A module in Air Monitor mode: a sweep at -40 dBm, then one at -90.
        m_link->replies = {"KVT-318M\r\n", "*MO=04\r\n"};
        for (int n = 0; n < 2 * kChannels; ++n) {
            m_link->replies.append(n < kChannels ? "*RS=D8" : "*RS=A6");
        }
        m_window->controls().comPort->setText(QStringLiteral("COM3"));
        QTest::mouseClick(m_window->controls().command1, Qt::LeftButton);
        const MonitorState &state = m_window->engine().monitorState();
        QTRY_VERIFY_WITH_TIMEOUT(m_link->replies.isEmpty() && state.latest.back() == -90, 30000);
        QTest::mouseClick(m_window->controls().command1, Qt::LeftButton);
        QTRY_VERIFY(!m_link->isOpen());

        // From the port box, where a user's typing goes.
        QLineEdit *port = m_window->controls().comPort;
        port->setFocus();
        QTest::keySequence(port, keys);

        const bool history = keys == QKeySequence(Qt::CTRL | Qt::Key_H);
        const bool help = keys == QKeySequence(Qt::Key_F1);
        const bool reset = keys == QKeySequence(Qt::CTRL | Qt::Key_R);
        const bool image = keys == QKeySequence(Qt::CTRL | Qt::Key_S);
        QCOMPARE(m_program->historyWindow() != nullptr, history);
        QCOMPARE(m_program->helpWindow() != nullptr, help);
        QCOMPARE(state.highest.front(), reset ? qint16(-90) : qint16(-40));
        QCOMPARE(state.highest.back(), reset ? qint16(-90) : qint16(-40));
        QCOMPARE(QFile::exists(imagePath), image);
        if (history) {
            QVERIFY(m_program->historyWindow()->isVisible());
            QVERIFY(m_program->historyWindow()->windowTitle().contains(QLatin1String("History")));
        }
        if (image) {
            const QImage saved(imagePath);
            QCOMPARE(saved.size(), m_window->controls().picture1->size());
            QCOMPARE(saved.convertToFormat(QImage::Format_RGB32),
                     m_window->controls().picture1->image());
        }
    }

    // At its default size, in either language and with or without a baseline, the window shows
    // every heading and value of the table whole and leaves the waterfall and the bars most of
    // the width; the empty waterfall's hint keeps clear of the times and the legend.
    void defaultSizeShowsEverything_data()
    {
        QTest::addColumn<QString>("translation"); // empty: English
        QTest::addColumn<bool>("baseline");
        for (const QString &translation : {QString(), QStringLiteral(":/i18n/kvt318_ja")}) {
            const char *language = translation.isEmpty() ? "English" : "Japanese";
            QTest::addRow("%s", language) << translation << false;
            QTest::addRow("%s, with a baseline", language) << translation << true;
        }
    }
    void defaultSizeShowsEverything()
    {
        QFETCH(QString, translation);
        QFETCH(bool, baseline);
        QTranslator translator;
        QVERIFY(translation.isEmpty() || translator.load(translation));
        QCoreApplication::installTranslator(&translator);
        const auto uninstall =
            qScopeGuard([&translator] { QCoreApplication::removeTranslator(&translator); });
        QFile summary(m_dir.filePath(QStringLiteral("summary.csv")));
        QVERIFY(summary.open(QIODevice::WriteOnly));
        summary.write("channel,mhz,samples,min,mean,max,occupancy_pct,bursts,longest_burst_s,"
                      "last_above\n7,429.2500,9,-60,-60.0,-60,100.0,1,9.0,\n");
        summary.close();
        HistoryWindow *window = openHistory();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QVERIFY(window->width() <= 1024 && window->height() <= 768);

        auto *waterfall = window->findChild<WaterfallView *>();
        const QImage hinted = waterfall->viewport()->grab().toImage();
        waterfall->setPlaceholder(QString());
        const QImage bare = waterfall->viewport()->grab().toImage();
        QVERIFY(hinted != bare);
        const chart::WaterfallGeometry parts(waterfall->viewport()->rect());
        QCOMPARE(hinted.copy(parts.legend), bare.copy(parts.legend));
        QCOMPARE(hinted.copy(parts.times), bare.copy(parts.times));
        QVERIFY(waterfall->width() >= window->width() / 2);
        QVERIFY(window->findChild<OccupancyView *>()->width() >= window->width() / 2);

        // Figures as wide as they come: the lowest level, full occupancy, a clock time.
        window->findChild<QSpinBox *>(QStringLiteral("threshold"))->setValue(-140);
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        for (const qint16 dbm : QList<qint16>{-140, -139, -139}) {
            storeReadings(0, kChannels, now, QList<qint16>(kChannels, dbm));
        }
        if (baseline) {
            window->compareWith(summary.fileName());
        }
        auto *table = window->findChild<QTableView *>(QStringLiteral("statistics"));
        const QAbstractItemModel *model = table->model();
        QTRY_COMPARE(model->index(0, StatisticsModel::Mean).data().toString(), "-139.3");
        QTRY_COMPARE(model->columnCount(), baseline ? int(StatisticsModel::Count)
                                                    : int(StatisticsModel::BaselineOccupancy));
        QHeaderView *header = table->horizontalHeader();
        const QStyle *style = table->style();
        const int cellPadding = 2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
        const int textHeight = header->height() - 2 * style->pixelMetric(QStyle::PM_HeaderMargin);
        for (int column = 0; column < model->columnCount(); ++column) {
            const int width = header->sectionSize(column);
            const int left = header->sectionViewportPosition(column);
            QVERIFY(left >= 0 && left + width <= header->viewport()->width());
            QStyleOptionHeader option;
            option.initFrom(header);
            option.rect = QRect(0, 0, width, header->height());
            option.sortIndicator = QStyleOptionHeader::SortUp;
            const int room = style->subElementRect(QStyle::SE_HeaderLabel, &option, header).width();
            const QString heading = model->headerData(column, Qt::Horizontal).toString();
            const QRect wrapped = header->fontMetrics().boundingRect(QRect(0, 0, room, 1000),
                                                                     Qt::TextWordWrap, heading);
            QVERIFY2(wrapped.width() <= room && wrapped.height() <= textHeight &&
                         (header->textElideMode() == Qt::ElideNone ||
                          header->fontMetrics().horizontalAdvance(heading) <= room),
                     qPrintable(heading));
            for (int row = 0; row < model->rowCount(); ++row) {
                const QString text = model->index(row, column).data().toString();
                QVERIFY2(table->fontMetrics().horizontalAdvance(text) + cellPadding <= width,
                         qPrintable(heading + QLatin1String(": ") + text));
            }
        }
    }

    // The window's size, the Alarms pane's place, the splitter and the column widths come back
    // at the next start, from the program's own settings rather than the main window's file.
    void arrangementKeptAcrossRestart_data()
    {
        QTest::addColumn<bool>("closedFirst");
        QTest::newRow("window closed first") << true;
        QTest::newRow("window open as the program ends") << false;
    }
    void arrangementKeptAcrossRestart()
    {
        QFETCH(bool, closedFirst);
        HistoryWindow *window = openHistory();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        auto *dock = window->findChild<QDockWidget *>(QStringLiteral("AlarmsDock"));
        const QSize size(1000, 700);
        window->resize(size);
        window->addDockWidget(Qt::LeftDockWidgetArea, dock);
        dock->show();
        QTRY_VERIFY(window->size() == size && dock->x() < window->centralWidget()->x());
        auto *splitter = window->findChild<QSplitter *>(QStringLiteral("surveySplitter"));
        splitter->setSizes({splitter->height() / 5, splitter->height() / 5, splitter->height()});
        const QList<int> split = splitter->sizes();
        QHeaderView *header = window->findChild<QTableView *>()->horizontalHeader();
        header->resizeSection(StatisticsModel::Mean,
                              header->sectionSize(StatisticsModel::Mean) + 40);
        const QList<int> widths = sectionSizes(*header);
        if (closedFirst) {
            QVERIFY(window->close());
        }
        m_program.reset();

        startProgram();
        window = openHistory();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        dock = window->findChild<QDockWidget *>(QStringLiteral("AlarmsDock"));
        QCOMPARE(window->size(), size);
        QVERIFY(!dock->isHidden());
        QCOMPARE(window->dockWidgetArea(dock), Qt::LeftDockWidgetArea);
        QTRY_COMPARE(window->findChild<QSplitter *>(QStringLiteral("surveySplitter"))->sizes(),
                     split);
        QCOMPARE(sectionSizes(*window->findChild<QTableView *>()->horizontalHeader()), widths);
        QFile settings(m_dir.filePath(QStringLiteral("monitor.ini")));
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QVERIFY(!settings.readAll().contains("history"));
    }

    // The program's translation, as it installs it.
    void titleInJapaneseUnderAJapaneseLocale()
    {
        QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
        translations::install(*QCoreApplication::instance());
        // A rule from the command line opens the Alarms pane with the window.
        m_program->addSessionAlarms({QStringLiteral("ch=30,above=-90")});
        HistoryWindow *window = openHistory();
        QCOMPARE(window->windowTitle(), QStringLiteral("KVT-318 履歴"));
        QVERIFY(!window->findChild<QDockWidget *>("AlarmsDock")->isHidden());
        QList<qint16> carrier(kChannels, -120);
        carrier[23] = -70;
        storeReadings(0, kChannels, kStartMs, carrier);
        const QString raised = window->findChild<QListWidget *>("AlarmEvents")->item(0)->text();
        QVERIFY2(raised.contains(QStringLiteral("チャネル 30")), qPrintable(raised));
        // The window's parts keep their texts' translations.
        for (const auto &[name, text] : {std::pair{"record", "CSV に記録(&R)…"},
                                         {"openRecording", "記録を開く(&O)…"},
                                         {"compareWith", "比較対象(&P)…"},
                                         {"exportTraceMedian", "中央値(&D)…"}}) {
            QCOMPARE(window->findChild<QAction *>(QLatin1String(name))->text(), QString(text));
        }
        QCOMPARE(window->findChild<QTabWidget *>(QStringLiteral("occupancyViews"))->tabText(1),
                 QStringLiteral("時間帯別(&B)"));
        QLocale::setDefault(QLocale::c());
        for (QTranslator *translator :
             QCoreApplication::instance()->findChildren<QTranslator *>()) {
            QCoreApplication::removeTranslator(translator);
        }
    }

    // A rule added and edited in the pane raises on a carrier and clears after it; a rule that
    // cannot be read is refused and changes nothing; the rules kept exclude this session's.
    void alarmsPaneRaisesAndKeepsRules()
    {
        HistoryWindow *window = openHistory();
        auto *pane = window->findChild<AlarmsPane *>();
        QVERIFY(pane != nullptr);
        auto *rules = pane->findChild<QTableWidget *>("AlarmRules");
        auto *active = pane->findChild<QTableWidget *>("ActiveAlarms");
        auto *events = pane->findChild<QListWidget *>("AlarmEvents");
        auto *dock = window->findChild<QDockWidget *>("AlarmsDock");
        QVERIFY(dock->isHidden());
        QTest::mouseClick(pane->findChild<QPushButton *>("AddAlarmRule"), Qt::LeftButton);
        QCOMPARE(rules->rowCount(), 1);
        const QString added = rules->item(0, 1)->text();
        rules->item(0, 1)->setText("ch=30,above=loud");
        QVERIFY(pane->findChild<QLabel *>("AlarmRuleError")->text().contains("above=loud"));
        QCOMPARE(rules->item(0, 1)->text(), added);
        rules->item(0, 1)->setText("ch=30,above=-90,clear-for=0");

        QList<qint16> carrier(kChannels, -120);
        carrier[23] = -70;
        storeReadings(0, kChannels, kStartMs, carrier);
        QCOMPARE(active->rowCount(), 1);
        QVERIFY(!dock->isHidden());
        QCOMPARE(active->item(0, 0)->text(), "30");
        QCOMPARE(active->item(0, 2)->text(), "-70");
        QVERIFY(alarmPixels(*window->findChild<OccupancyView *>()) > 0);
        QVERIFY(alarmPixels(*window->findChild<WaterfallView *>()) > 0);
        storeReadings(0, kChannels, kStartMs + kSweepMs);
        QCOMPARE(active->rowCount(), 0);
        QCOMPARE(alarmPixels(*window->findChild<OccupancyView *>()), 0);
        QCOMPARE(events->count(), 2);
        QVERIFY(events->item(0)->text().contains("cleared at -120 dBm after 1.000 s"));

        m_program->addSessionAlarms({"ch=7,above=-50"});
        QCOMPARE(rules->rowCount(), 2);
        rules->item(0, 0)->setCheckState(Qt::Unchecked);
        pane->findChild<QCheckBox *>("AlarmSound")->setChecked(true);
        const AlarmStore::Contents kept = AlarmStore(m_dir.filePath("alarms.ini")).load();
        QCOMPARE(kept.rules.size(), 1);
        QCOMPARE(kept.rules[0].text, "ch=30,above=-90,clear-for=0");
        QVERIFY(!kept.rules[0].enabled);
        QVERIFY(kept.sound);
    }
};

QTEST_MAIN(TestHistory)
#include "tst_history.moc"
