// kvt318-scan under a service manager: what arrives on the notification socket.
#include "simprocess.h"

#include <QtTest>

#include <csignal>

#include <sys/socket.h>
#include <sys/un.h>

class TestServiceNotify : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Ready before the port answers, the receiver, the sweep and its rate in the status, watchdog
    // beats from the running loop at half the manager's time, and stopping when SIGTERM ends the
    // run cleanly.
    void tellsTheManager()
    {
#ifndef KVT_WITH_SYSTEMD
        QSKIP("built without libsystemd (Debian package libsystemd-dev)");
#endif
        QTemporaryDir dir;
        const QByteArray path = QFile::encodeName(dir.filePath("notify"));
        sockaddr_un address{AF_UNIX, {}};
        std::copy(path.begin(), path.end(), address.sun_path);
        const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        QVERIFY(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
        QStringList heard;
        QList<qint64> beats; // ms
        QElapsedTimer clock;
        clock.start();
        QSocketNotifier notifier(fd, QSocketNotifier::Read);
        connect(&notifier, &QSocketNotifier::activated, this, [&heard, &beats, &clock, fd] {
            char buffer[512];
            for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) {
                heard.append(QString::fromUtf8(buffer, static_cast<int>(n)));
                if (heard.last() == "WATCHDOG=1") {
                    beats.append(clock.elapsed());
                }
            }
        });
        SimProcess sim;
        QVERIFY(sim.start({"--mode", "04"}));
        QProcess scan;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("NOTIFY_SOCKET", dir.filePath("notify"));
        env.insert("WATCHDOG_USEC", "2000000");
        scan.setProcessEnvironment(env);
        scan.start(qEnvironmentVariable("KVT318_SCAN"),
                   {"--name", "north-1", "-o", dir.filePath("out"), sim.devicePath()});

        // The rate in sweeps a second: the simulator answers many a second, so a rate below one
        // (as a count per millisecond would be) is wrong.
        const QRegularExpression counted(
            "^STATUS=north-1: sweeping Air Monitor, [1-9][0-9,]* sweeps, [1-9][0-9]*\\.[0-9]/s$");
        QTRY_VERIFY_WITH_TIMEOUT(!heard.filter(counted).isEmpty(), 90'000);
        // A beat a second: three take 3 s, where one every 2 s would take 6.
        QTRY_VERIFY_WITH_TIMEOUT(beats.size() >= 4, 90'000);
        QVERIFY2(beats[3] - beats[0] < 5000, qPrintable(QString::number(beats[3] - beats[0])));
        QCOMPARE(heard.indexOf("STATUS=north-1: waiting for " + sim.devicePath()),
                 heard.indexOf("READY=1") - 1);
        QVERIFY(!heard.contains("STOPPING=1"));
        ::kill(static_cast<pid_t>(scan.processId()), SIGTERM);
        QVERIFY(scan.waitForFinished(90'000));
        QCOMPARE(scan.exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(heard.contains("STOPPING=1"), 90'000);
        ::close(fd);
    }
};

QTEST_GUILESS_MAIN(TestServiceNotify)
#include "tst_servicenotify.moc"
