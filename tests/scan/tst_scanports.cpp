// The ports kvt318-scan lists with their stable names.
#include "engine/port/portdevice.h"
#include "engine/port/portlinks.h"
#include "programs/scan/portlisting.h"

#include <QtTest>

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
        const QList<PortDevice> ports{{usb0, "FT232R USB UART", 0x0403, 0x6001, "A1B2C3"},
                                      {root.filePath("dev/ttyS0"), {}, {}, {}, {}}};
        QCOMPARE(portlisting::text(
                     ports, PortLinks({byId.section('/', 0, -2), byPath.section('/', 0, -2)})),
                 usb0 + "\n  by-id: " + byId + "\n  by-path: " + byPath +
                     "\n  description: FT232R USB UART\n  usb: 0403:6001 serial A1B2C3\n\n" +
                     ports[1].location + '\n');
    }
};

QTEST_GUILESS_MAIN(TestScanPorts)
#include "tst_scanports.moc"
