// The monitor watching kvt318-scan through a broker of the test's own: the receivers listed,
// one watched into a history window, its last will, a broker restart and a refused connection.
#include "mqttbroker.h"
#include "simprocess.h"

#include "engine/history/historystatistics.h"
#include "engine/history/sweephistory.h"
#include "engine/remote/brokerconnection.h"
#include "engine/remote/receiverdirectory.h"
#include "engine/remote/remotebroker.h"
#include "programs/monitor/remotewatch.h"
#include "programs/monitor/remotewatches.h"
#include "windows/history/historywindow.h"
#include "windows/history/monitoractions.h"
#include "windows/remote/watchdialog.h"

#include <QBuffer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include <mosquitto.h>

#include <csignal>

namespace {
constexpr int kWaitMs = 90'000; // a Debug build on two shared cores, and other work
constexpr int kSweeps = 400;

// A JSON Lines recording whose levels wander, so that every figure of the summary differs
// between channels.
QString writeRecording(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("survey.jsonl"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return {};
    }
    for (int n = 0; n < kSweeps; ++n) {
        const auto time = QDateTime::fromMSecsSinceEpoch(1796628600000 + n * 350LL, Qt::UTC);
        QByteArray line = "{\"time\":\"" + time.toString("yyyy-MM-ddTHH:mm:ss.zzz").toLatin1() +
                          "Z\",\"sweep\":" + QByteArray::number(n + 1) +
                          ",\"mode\":\"AirMonitor\",\"dbm\":[";
        for (int index = 0; index < 40; ++index) {
            line += (index > 0 ? "," : "") + QByteArray::number(-125 + (n * 7 + index * 13) % 61);
        }
        file.write(line + "]}\n");
    }
    return path;
}

// Publishes as a scanner would (its info retained); the broker has it once this returns.
bool publish(int port, const QString &topic, const QByteArray &payload, bool retained)
{
    mosquitto_lib_init();
    mosquitto *client = mosquitto_new(nullptr, true, nullptr);
    bool published =
        mosquitto_connect(client, "127.0.0.1", port, 30) == MOSQ_ERR_SUCCESS &&
        mosquitto_publish(client, nullptr, topic.toUtf8().constData(), int(payload.size()),
                          payload.constData(), 1, retained) == MOSQ_ERR_SUCCESS;
    // Its acknowledgement and the disconnect.
    for (int pass = 0; published && pass < 10; ++pass) {
        published = mosquitto_loop(client, 50, 1) == MOSQ_ERR_SUCCESS;
    }
    mosquitto_disconnect(client);
    mosquitto_destroy(client);
    return published;
}

QStringList scanArguments(const MqttBroker &broker, const QString &prefix, const QString &name)
{
    return {"-q",           "-o",   "/dev/null", "--mqtt", broker.url(),
            "--mqtt-topic", prefix, "--name",    name};
}

bool runScan(const QStringList &arguments)
{
    QProcess scan;
    scan.start(qEnvironmentVariable("KVT318_SCAN"), arguments);
    return scan.waitForFinished(kWaitMs) && scan.exitCode() == 0;
}

// The program's watches with actions and rules of their own.
struct Watches
{
    MonitorActions actions;
    RemoteWatches watches{actions, [] { return QList<AlarmRuleEntry>{}; }, {}};

    WatchDialog &dialog() { return *watches.dialog(); }
    template <typename T> T *child(const char *name) { return dialog().findChild<T *>(name); }
    // Types the broker's settings into the dialog and connects.
    void connectTo(const QString &url, const QString &user = {}, const QString &passwordFile = {})
    {
        watches.showDialog();
        child<QLineEdit>("brokerUrl")->setText(url);
        child<QLineEdit>("brokerUser")->setText(user);
        child<QLineEdit>("brokerPasswordFile")->setText(passwordFile);
        child<QPushButton>("connectBroker")->click();
    }
    QString status() { return child<QLabel>("brokerStatus")->text(); }
    QString cell(const QString &name, int column)
    {
        const QAbstractItemModel *model = child<QTableView>("receivers")->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->index(row, 0).data().toString() == name) {
                return model->index(row, column).data().toString();
            }
        }
        return {};
    }
};

QString statusBar(RemoteWatch &watch)
{
    return watch.window().findChild<QLabel *>(QStringLiteral("remoteStatus"))->text();
}
} // namespace

class TestRemoteWatch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void listsAndWatches_data();
    void listsAndWatches();
    void lastWillAndBrokerRestart();
    void refusedConnection_data();
    void refusedConnection();
};

// A scanner is listed from its retained status (and info, which names it and its model) under
// a prefix of one to three levels, chosen from the list into a window of its own, and the
// window's statistics of a replay equal the summary the scanner wrote of it.
void TestRemoteWatch::listsAndWatches_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QByteArray>("info");
    QTest::addColumn<QString>("model");
    QTest::newRow("default prefix") << "kvt318/north-1" << QByteArray() << "–";
    QTest::newRow("one level") << "north-1" << QByteArray() << "–";
    QTest::newRow("three levels") << "site7/roof/north-1" << QByteArray() << "–";
    QTest::newRow("named by its info")
        << "site7/unit-4"
        << QByteArray(R"({"receiver":"north-1","model":"KVT-318M","firmware":"KVT-318M Ver1.00",)"
                      R"("mode":"Air Monitor","port":null,"version":"1.0.0","started":)"
                      R"("2026-12-07T07:00:00Z","sweeps_per_s":2.8,"time":"2026-12-07T07:00:01Z"})")
        << "KVT-318M";
}

void TestRemoteWatch::listsAndWatches()
{
    QFETCH(QString, prefix);
    QFETCH(QByteArray, info);
    MqttBroker broker;
    QVERIFY2(broker.start(), qPrintable(broker.output()));
    QTemporaryDir dir;
    const QString recording = writeRecording(dir);
    QVERIFY(!recording.isEmpty());
    // A first run leaves its status and info behind, retained; a row's info takes its place.
    QVERIFY(runScan(scanArguments(broker, prefix, QStringLiteral("north-1")) +
                    QStringList{"-n", "1", "--replay", recording}));
    QVERIFY(info.isEmpty() || publish(broker.port(), prefix + "/info", info, true));

    Watches watches;
    watches.connectTo(broker.url());
    QTRY_COMPARE_WITH_TIMEOUT(watches.cell("north-1", 1), QStringLiteral("offline"), kWaitMs);
    QCOMPARE(watches.cell("north-1", 5), prefix);
    QTEST(watches.cell("north-1", 3), "model");
    auto *list = watches.child<QTableView>("receivers");
    list->selectRow(0);
    watches.child<QPushButton>("watchReceiver")->click();
    QCOMPARE(watches.watches.watches().size(), std::size_t(1));
    RemoteWatch &watch = *watches.watches.watches().front();
    QVERIFY(watch.window().windowTitle().startsWith(QLatin1String("north-1")));
    QTRY_VERIFY_WITH_TIMEOUT(watch.broker()->connection().isSubscribed(), kWaitMs);

    const QString summary = dir.filePath(QStringLiteral("summary.csv"));
    QVERIFY(runScan(scanArguments(broker, prefix, QStringLiteral("north-1")) +
                    QStringList{"--summary", summary, "--replay", recording}));
    // The sweeps and the run's mark.
    QTRY_COMPARE_WITH_TIMEOUT(watch.history().rowCount(), kSweeps + 1, kWaitMs);
    QBuffer shown;
    shown.open(QIODevice::WriteOnly);
    QVERIFY(record::writeSummaryCsv(shown, watch.statistics().statistics()));
    QFile written(summary);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(shown.data(), written.readAll());
    // A sweep that cannot be read is said, and counts nowhere.
    QVERIFY(publish(broker.port(), prefix + "/sweep", R"({"time":"2026-12-07T08:00:00Z"})", false));
    QTRY_VERIFY_WITH_TIMEOUT(
        statusBar(watch).contains(
            QStringLiteral("messages not read: 1 (the last: %1/sweep: not a sweep").arg(prefix)),
        kWaitMs);
    QCOMPARE(watch.history().rowCount(), kSweeps + 1);
    QTRY_VERIFY_WITH_TIMEOUT(statusBar(watch).contains(QLatin1String("offline")), kWaitMs);
}

// The scanner's alarm events reach the window's Alarms pane. A scanner killed leaves its last
// will: offline with the time, in the list and in the window. A broker that restarts under a live
// scanner is reached again, the topics subscribed again, and the sweeps go on.
void TestRemoteWatch::lastWillAndBrokerRestart()
{
    MqttBroker broker;
    QVERIFY2(broker.start(), qPrintable(broker.output()));
    Watches watches;
    watches.watches.open(broker.url() + QStringLiteral("#south"));
    QCOMPARE(watches.watches.watches().size(), std::size_t(1));
    RemoteWatch &watch = *watches.watches.watches().front();
    QTRY_VERIFY_WITH_TIMEOUT(watch.broker()->connection().isSubscribed(), kWaitMs);

    SimProcess sim;
    QVERIFY(sim.start({"--baud", "0", "--mode", "04", "--carrier", "20:-60"}));
    QProcess scan;
    scan.start(qEnvironmentVariable("KVT318_SCAN"),
               scanArguments(broker, QStringLiteral("kvt318/south"), QStringLiteral("south")) +
                   QStringList{"--alarm", "ch=20,above=-70", sim.devicePath()});
    QTRY_VERIFY_WITH_TIMEOUT(watch.history().rowCount() > 5, kWaitMs);
    // The scanner's own alarm event, beside those of the monitor's rules (none here).
    const auto *events = watch.window().findChild<QListWidget *>(QStringLiteral("AlarmEvents"));
    QTRY_VERIFY_WITH_TIMEOUT(events->count() > 0, kWaitMs);
    QVERIFY(events->item(0)->text().contains(QLatin1String("channel 20 (429.4125 MHz) raised")));
    QTRY_VERIFY(statusBar(watch).contains(QLatin1String("south online")));

    broker.stop();
    QTRY_COMPARE_WITH_TIMEOUT(watch.broker()->connection().state(), BrokerConnection::State::Lost,
                              kWaitMs);
    QVERIFY(statusBar(watch).contains(QLatin1String("lost")));
    QVERIFY2(broker.start(), qPrintable(broker.output()));
    QTRY_VERIFY_WITH_TIMEOUT(watch.broker()->connection().isSubscribed(), kWaitMs);
    const int before = watch.history().rowCount();
    QTRY_VERIFY_WITH_TIMEOUT(watch.history().rowCount() > before + 5, kWaitMs);

    ::kill(static_cast<pid_t>(scan.processId()), SIGKILL);
    QVERIFY(scan.waitForFinished(kWaitMs));
    QTRY_VERIFY_WITH_TIMEOUT(statusBar(watch).contains(QLatin1String("south offline")), kWaitMs);
    const ReceiverDirectory &directory = watch.broker()->directory();
    const RemoteReceiver &south =
        directory.receivers()[static_cast<std::size_t>(directory.find(QStringLiteral("south")))];
    QVERIFY(!south.online);
    QVERIFY(qAbs(south.lastSeenUtcMs - QDateTime::currentMSecsSinceEpoch()) < kWaitMs);
}

// Settings the dialog refuses, and brokers that refuse or are not there, each with the reason.
void TestRemoteWatch::refusedConnection_data()
{
    QTest::addColumn<bool>("login");
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("reason");
    QTest::newRow("wrong password") << true << ""
                                    << "wrong"
                                    << "refused the connection: "
                                       "Connection Refused: not authorised";
    QTest::newRow("no broker") << false << "mqtt://127.0.0.1:PORT"
                               << ""
                               << "lost: Connection refused; trying again in";
    QTest::newRow("not a URL") << false << "http://127.0.0.1"
                               << ""
                               << "Not a broker URL: http://127.0.0.1";
    QTest::newRow("no password file") << false << ""
                                      << "-"
                                      << "cannot read ";
}

void TestRemoteWatch::refusedConnection()
{
    QFETCH(bool, login);
    QFETCH(QString, url);
    QFETCH(QString, password);
    MqttBroker broker;
    if (login) {
        broker.requireLogin(QStringLiteral("site7"), QStringLiteral("right"));
    }
    QVERIFY2(broker.start(), qPrintable(broker.output()));
    if (url.contains(QLatin1String("PORT"))) {
        broker.stop();
        url.replace(QLatin1String("PORT"), QString::number(broker.port()));
    }
    QTemporaryDir dir;
    QString passwordFile;
    if (!password.isEmpty()) {
        passwordFile = dir.filePath(QStringLiteral("password"));
        if (password != QLatin1String("-")) {
            QFile file(passwordFile);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(password.toUtf8() + '\n');
        }
    }
    Watches watches;
    watches.connectTo(url.isEmpty() ? broker.url() : url, QStringLiteral("site7"), passwordFile);
    QFETCH(QString, reason);
    QTRY_VERIFY2_WITH_TIMEOUT(watches.status().contains(reason), qPrintable(watches.status()),
                              kWaitMs);
}

QTEST_MAIN(TestRemoteWatch)
#include "tst_remotewatch.moc"
