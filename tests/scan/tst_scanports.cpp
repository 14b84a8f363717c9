// The ports kvt318-scan lists with their stable names, and a port given by such a link followed
// to the device it leads to at each reopen.
#include "engine/port/portdevice.h"
#include "engine/port/portlinks.h"
#include "programs/scan/portlisting.h"
#include "simprocess.h"

#include <QtTest>

#include <csignal>

constexpr int kFinishMs = 90'000; // a Debug build on two shared cores

class TestScanPorts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // udev's relative links, each under the port it leads to.
    void listsPortsWithTheirLinks()
    {
        const QTemporaryDir root;
        const QDir dir(root.path());
        QVERIFY(dir.mkpath("dev") && dir.mkpath("by-id") && dir.mkpath("by-path"));
        const QString usb0 = root.filePath("dev/ttyUSB0");
        QVERIFY(QFile(usb0).open(QIODevice::WriteOnly));
        const QString byId = root.filePath("by-id/usb-FTDI_A1B2C3-if00-port0");
        const QString byPath = root.filePath("by-path/pci-usb-0:2:1.0-port0");
        QVERIFY(QFile::link("../dev/ttyUSB0", byId) && QFile::link("../dev/ttyUSB0", byPath));
        QVERIFY(QFile::link("../dev/ttyUSB1", root.filePath("by-path/pci-usb-0:3:1.0-port0")));
        const QList<PortDevice> ports{{usb0, "FT232R USB UART", 0x0403, 0x6001, "A1B2C3", usb0},
                                      {root.filePath("dev/ttyS0"), {}, {}, {}, {}, {}}};
        QCOMPARE(portlisting::text(
                     ports, PortLinks({byId.section('/', 0, -2), byPath.section('/', 0, -2)})),
                 usb0 + "\n  by-id: " + byId + "\n  by-path: " + byPath +
                     "\n  description: FT232R USB UART\n  usb: 0403:6001 serial A1B2C3\n\n" +
                     ports[1].location + '\n');
    }

    void reopensWhereTheLinkLeads()
    {
        // Port names outside /dev are read as COM numbers.
        const QTemporaryDir dir(QStringLiteral("/dev/shm/kvt318-scan-XXXXXX"));
        if (!dir.isValid()) {
            QSKIP("no writable folder under /dev for the link");
        }
        const QString link = dir.filePath("usb-module");
        const QString out = dir.filePath("out.csv");
        const auto rows = [&out] {
            QFile file(out);
            return file.open(QIODevice::ReadOnly) ? file.readAll().count('\n') : 0;
        };
        SimProcess first;
        SimProcess second; // up before the first ends, so on another terminal number
        QVERIFY(first.start({"--mode", "04"}) && second.start({"--mode", "04"}));
        QVERIFY(QFile::link(first.devicePath(), link));
        QProcess scan;
        scan.start(qEnvironmentVariable("KVT318_SCAN"), {"-q", "--reconnect", "-o", out, link});
        QTRY_VERIFY_WITH_TIMEOUT(rows() >= 3, kFinishMs);
        first.stop();
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += scan.readAllStandardError()).contains("reopening"),
                                 kFinishMs);
        // Replaced as udev does it: a new link renamed over the old one.
        QVERIFY(QFile::link(second.devicePath(), link + ".new"));
        QCOMPARE(std::rename(qPrintable(link + ".new"), qPrintable(link)), 0);
        const qsizetype before = rows();
        QTRY_VERIFY_WITH_TIMEOUT(rows() > before, kFinishMs);
        ::kill(static_cast<pid_t>(scan.processId()), SIGINT);
        QVERIFY(scan.waitForFinished(kFinishMs));
        QCOMPARE(scan.exitCode(), 0);
        said += scan.readAllStandardError();
        const QByteArray named = "kvt318-scan: " + link.toUtf8();
        QVERIFY2(said.contains(named + ": now " + second.devicePath().toUtf8() + '\n' + named +
                               ": sweeping again"),
                 said.constData());
    }
};

QTEST_GUILESS_MAIN(TestScanPorts)
#include "tst_scanports.moc"
