// Recording (--record) against the module simulator: the rows hold the simulator's
// carriers, and a file that fails mid-run ends the recording while the run goes on.
#include "engine/record/recorder.h"
#include "programs/monitor/commandline.h"
#include "programs/monitor/monitorprogram.h"
#include "simprocess.h"
#include "windows/history/historywindow.h"
#include "windows/main/mainwindow.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

constexpr int kRowsWanted = 3;
constexpr int kLimitMs = 90'000; // a Debug build on two shared cores, and other work
const QString kStarted = QStringLiteral("モニタ開始");

int measurements(const SimProcess &sim)
{
    int count = 0;
    for (const SimProcess::LogEntry &entry : sim.log()) {
        count += !entry.fromMonitor &&
                 (entry.bytes.startsWith("*RA=") || entry.bytes.startsWith("*RS="));
    }
    return count;
}

} // namespace

class TestHistoryE2e : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    SimProcess m_sim;
    std::unique_ptr<MonitorProgram> m_program;
    MainWindow *m_window = nullptr;

    void startRun(const QStringList &simOptions, const QString &recordPath)
    {
        QVERIFY(m_sim.start(simOptions));
        MonitorProgram::Services services;
        services.window.settingsPath = m_dir.filePath(QStringLiteral("monitor.ini"));
        services.arrangementPath = m_dir.filePath(QStringLiteral("history.ini"));
        m_program = std::make_unique<MonitorProgram>(std::move(services));
        m_window = &m_program->window();
        // As the program does with its command line.
        const CommandLineOutcome outcome = commandline::parse(
            {QStringLiteral("kvt318-monitor"), QStringLiteral("--record"), recordPath});
        QVERIFY(outcome.options);
        QVERIFY(m_program->startRecording(outcome.options->recordPath));
        m_window->show();
        m_window->controls().comPort->setText(m_sim.devicePath());
        QTest::mouseClick(m_window->controls().command1, Qt::LeftButton);
    }

private Q_SLOTS:
    void cleanup()
    {
        m_window = nullptr;
        m_program.reset();
        m_sim.stop();
    }

    // The rows hold the carriers, numbered from 1. A file that fails mid-run is seen with the
    // history window closed, in a box over the main window that takes nothing of its input; the
    // history window's status bar says it too, and the run goes on.
    void rowsUntilTheFileFails_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::newRow("FSK") << "01";
        QTest::newRow("Air Monitor") << "04";
    }
    void rowsUntilTheFileFails()
    {
        QFETCH(QString, mode);
        const QString path = m_dir.filePath(QStringLiteral("sweeps-%1.csv").arg(mode));
        startRun({QStringLiteral("--mode"), mode, QStringLiteral("--jitter"), QStringLiteral("0"),
                  QStringLiteral("--carrier"), QStringLiteral("12:-62"),
                  QStringLiteral("--carrier"), QStringLiteral("46:-47")},
                 path);
        Recorder &recorder = m_program->recorder();
        QSignalSpy failed(&recorder, &Recorder::failed);
        QVERIFY(failed.isValid());
        QTRY_VERIFY_WITH_TIMEOUT(recorder.rowsWritten() >= kRowsWanted, kLimitMs);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QVERIFY(lines.first().startsWith("time,sweep,ch7,ch8,"));
        QVERIFY(lines.first().endsWith(",ch45,ch46"));
        for (int row = 1; row <= kRowsWanted; ++row) {
            const QList<QByteArray> cells = lines.at(row).split(',');
            QCOMPARE(cells.size(), 42);
            QVERIFY(cells.at(0).endsWith('Z'));
            QCOMPARE(cells.at(1).toInt(), row);
            for (int channel = 7; channel <= 46; ++channel) {
                const int expected = channel == 12 ? -62 : channel == 46 ? -47 : -120;
                QCOMPARE(cells.at(channel - 5).toInt(), expected);
            }
        }

        QVERIFY(QFile::remove(path));
        QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 1, kLimitMs);
        QVERIFY(failed.first().first().toString().startsWith(path + QLatin1String(": ")));
        QVERIFY(!recorder.isRecording());
        const auto *box = m_window->findChild<QMessageBox *>(QStringLiteral("recordingFailure"));
        QVERIFY(box != nullptr && box->isVisible());
        QCOMPARE(box->windowModality(), Qt::NonModal);
        QVERIFY(box->text().contains(path + QLatin1String(": No such file or directory")));
        QVERIFY(m_window->controls().command1->isEnabled());
        m_program->showHistory();
        const auto *status =
            m_program->historyWindow()->findChild<QLabel *>(QStringLiteral("recordingStatus"));
        QVERIFY(status->text().contains(QLatin1String("stopped")));
        QVERIFY(status->text().contains(path));

        const int before = measurements(m_sim);
        QTRY_VERIFY_WITH_TIMEOUT(measurements(m_sim) >= before + 40, kLimitMs);
        QCOMPARE(m_window->controls().command1->text(), kStarted);
        QVERIFY(!QFile::exists(path));
    }
};

QTEST_MAIN(TestHistoryE2e)
#include "tst_history_e2e.moc"
