// The figures the history window names, checked against values worked out here: the trace
// levels, the columns it sorts by, the sweeps a saved selection holds and how long an alarm has
// been raised.
#include "engine/protocol/reading.h"
#include "engine/protocol/sweepengine.h"
#include "engine/record/outputfile.h"
#include "engine/record/sweeprecord.h"
#include "painters/waterfallpainter.h"
#include "programs/monitor/monitorprogram.h"
#include "scriptedlink.h"
#include "windows/history/historywindow.h"
#include "windows/history/statisticsmodel.h"
#include "windows/history/waterfallview.h"
#include "windows/main/mainwindow.h"

#include <QAction>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

namespace {

// Channel 12 (index 5), a sweep a second: max -40, mean -78, median -92, p90 -50. Channel 8
// (index 1) stays at -90: a higher lowest level than channel 12's, a lower mean.
constexpr std::array<qint16, 10> kChannel12{-100, -98, -96, -94, -92, -80, -70, -60, -50, -40};
constexpr qint64 kStartMs = 1'796'628'600'000; // 2026-12-07T07:30:00Z

} // namespace

class TestHistoryFigures : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<MonitorProgram> m_program;
    QString m_savedPath; // where the next export goes

    HistoryWindow *openRecording()
    {
        m_program->showHistory();
        HistoryWindow *window = m_program->historyWindow();
        window->openRecording(m_dir.filePath(QStringLiteral("survey.csv")));
        return window;
    }

private Q_SLOTS:
    void initTestCase()
    {
        OutputFile file(m_dir.filePath(QStringLiteral("survey.csv")), RecordFormat::Csv);
        QVERIFY(file.open());
        for (std::size_t n = 0; n < kChannel12.size(); ++n) {
            SweepRecord sweep{kStartMs + qint64(n) * 1000, qint64(n) + 1, {}, {}};
            sweep.dbm.fill(-120);
            sweep.dbm[1] = -90;
            sweep.dbm[5] = kChannel12[n];
            QVERIFY(file.write(sweep));
        }
    }
    void init()
    {
        MonitorProgram::Services services;
        services.link = std::make_unique<ScriptedLink>();
        services.window.settingsPath = m_dir.filePath(QStringLiteral("monitor.ini"));
        services.alarmStorePath = m_dir.filePath(QStringLiteral("alarms.ini"));
        services.arrangementPath = m_dir.filePath(QStringLiteral("history.ini"));
        m_program = std::make_unique<MonitorProgram>(std::move(services));
        m_program->setSavePathChooser([this](QWidget *, const QString &, const QString &,
                                             const QString &) { return m_savedPath; });
    }
    void cleanup() { m_program.reset(); }

    void traceWritesTheLevelItNames_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QByteArray>("line"); // channel 12's
        QTest::newRow("max") << "exportTraceMax" << QByteArray("429.3125,-40.0\r");
        QTest::newRow("mean") << "exportTraceMean" << QByteArray("429.3125,-78.0\r");
        QTest::newRow("median") << "exportTraceMedian" << QByteArray("429.3125,-92.0\r");
        QTest::newRow("p90") << "exportTraceP90" << QByteArray("429.3125,-50.0\r");
    }
    void traceWritesTheLevelItNames()
    {
        QFETCH(QString, action);
        HistoryWindow *window = openRecording();
        QTRY_VERIFY(!window->isLoading());
        m_savedPath = m_dir.filePath(action);
        window->findChild<QAction *>(action)->trigger();
        QFile trace(m_savedPath);
        QVERIFY(trace.open(QIODevice::ReadOnly));
        QTEST(trace.readAll().split('\n').value(5), "line");
    }

    // Sorted downwards by a column, the channel highest in that column comes first.
    void sortsByTheColumnShown_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("first");
        QTest::newRow("mean") << int(StatisticsModel::Mean) << "12";
        QTest::newRow("min") << int(StatisticsModel::Min) << "8";
        QTest::newRow("max") << int(StatisticsModel::Max) << "12";
    }
    void sortsByTheColumnShown()
    {
        QFETCH(int, column);
        HistoryWindow *window = openRecording();
        QTRY_VERIFY(!window->isLoading());
        auto *table = window->findChild<QTableView *>(QStringLiteral("statistics"));
        table->sortByColumn(column, Qt::DescendingOrder);
        QTEST(table->model()->index(0, StatisticsModel::Channel).data().toString(), "first");
    }

    // A selection saved as an image has a row for each sweep selected, under the heading.
    void selectionImageHoldsEverySweep_data()
    {
        QTest::addColumn<int>("sweeps");
        QTest::newRow("two") << 2;
        QTest::newRow("four") << 4;
        QTest::newRow("all ten") << 10;
    }
    void selectionImageHoldsEverySweep()
    {
        QFETCH(int, sweeps);
        HistoryWindow *window = openRecording();
        QTRY_VERIFY(!window->isLoading());
        auto *waterfall = window->findChild<WaterfallView *>(QStringLiteral("waterfall"));
        QWidget *rows = waterfall->viewport();
        const int x = rows->width() / 2;
        QTest::mousePress(rows, Qt::LeftButton, {}, QPoint(x, waterfall->rowY(0) + 1));
        QTest::mouseMove(rows, QPoint(x, waterfall->rowY(sweeps - 1) + 1));
        QTest::mouseRelease(rows, Qt::LeftButton, {}, QPoint(x, waterfall->rowY(sweeps - 1) + 1));
        m_savedPath = m_dir.filePath(QStringLiteral("selection.png"));
        const QList<QAction *> actions = window->findChildren<QAction *>();
        const auto save = std::find_if(actions.cbegin(), actions.cend(), [](QAction *action) {
            return action->text() == QStringLiteral("Save &waterfall image…");
        });
        QVERIFY(save != actions.cend());
        (*save)->trigger();
        QCOMPARE(QImage(m_savedPath).height(), chart::WaterfallGeometry::kHeaderHeight +
                                                   sweeps * chart::WaterfallGeometry::kRowHeight);
    }

    // The Alarms pane counts an alarm's time raised in seconds.
    void activeAlarmShowsSecondsRaised_data()
    {
        QTest::addColumn<qint64>("laterMs");
        QTest::addColumn<QString>("shown");
        QTest::newRow("5 s") << qint64(5000) << "5";
        QTest::newRow("90 s") << qint64(90'000) << "90";
    }
    void activeAlarmShowsSecondsRaised()
    {
        QFETCH(qint64, laterMs);
        m_program->showHistory();
        m_program->addSessionAlarms({QStringLiteral("ch=12,above=-90")});
        for (const qint64 utcMs : {kStartMs, kStartMs + laterMs}) {
            for (int index = 0; index < 40; ++index) {
                Q_EMIT m_program->window().engine().readingStored(
                    Reading{index, qint16(index == 5 ? -70 : -120), utcMs, RadioMode::Fsk});
            }
        }
        auto *active = m_program->historyWindow()->findChild<QTableWidget *>("ActiveAlarms");
        QFETCH(QString, shown);
        QCOMPARE(active->rowCount(), 1);
        // The table follows the clock of the readings at its next refresh.
        QTRY_COMPARE(active->item(0, 3)->text(), shown);
    }
};

QTEST_MAIN(TestHistoryFigures)
#include "tst_historyfigures.moc"
