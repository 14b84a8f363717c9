#include "fakeports.h"
#include "port/portentry.h"
#include "port/portname.h"

#include <QtTest>

class TestPortDiscovery : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pick_data();
    void pick();
    void listsPortsThatOpen_data();
    void listsPortsThatOpen();
    void freshOnEveryCall();
};

namespace {
QString com(int n)
{
    return portname::systemNameForNumber(n);
}
} // namespace

void TestPortDiscovery::pick_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("expected"); // null: nothing picked

    QTest::newRow("COM12") << "USB Serial Port (COM12) , FTDIBUS\\VID_0403+PID_6001\\0000"
                           << "COM12";
    QTest::newRow("COM3, text after )") << "Communications Port (COM3) x , ACPI\\PNP0501\\1"
                                        << "COM3";
    QTest::newRow("no )") << "Modem (COM5" << QString();
    QTest::newRow("no ) in the name") << "Modem (COM5 , ROOT\\MODEM(0000)" << QString();
    QTest::newRow("no (COM") << "Printer Port (LPT1) , ACPI\\PNP0400\\1" << QString();
    QTest::newRow("other case") << "port (com3) , x" << QString();
    QTest::newRow("identifier holds (COM") << "Bluetooth Link (COM4) , BTHENUM\\(COM9)"
                                           << "COM4";
#ifdef Q_OS_WIN
    QTest::newRow("device path") << "Serial port (/dev/ttyUSB0) , x" << QString();
#else
    QTest::newRow("device path") << "FT232R USB UART (/dev/ttyUSB0) , 0403:6001 A50285BI"
                                 << "/dev/ttyUSB0";
    QTest::newRow("device, identifier holds (COM") << "Serial port (/dev/ttyS0) , (COM7)"
                                                   << "/dev/ttyS0";
    QTest::newRow("(COM before device") << "Adapter (COM2) (/dev/ttyUSB1) , x"
                                        << "COM2";
    QTest::newRow("device without )") << "Serial port (/dev/ttyACM0 , (COM7)" << QString();
#endif
}

void TestPortDiscovery::pick()
{
    QFETCH(QString, entry);
    QFETCH(QString, expected);
    QCOMPARE(portentry::portName(entry).value_or(QString()), expected);
}

void TestPortDiscovery::listsPortsThatOpen_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("openable");
    QTest::addColumn<QStringList>("probed");
    QTest::addColumn<QStringList>("listed"); // names of the listed entries, in order

    QTest::newRow("order kept, busy port left out")
        << QStringList{"B (COM7)", "A (COM3)", "C (COM1)"} << QStringList{com(7), com(1)}
        << QStringList{com(7), com(3), com(1)} << QStringList{"B (COM7)", "C (COM1)"};
    QTest::newRow("COM12 and COM3")
        << QStringList{"X (COM12) y", "USB Serial Port (COM3)"} << QStringList{com(12), com(3)}
        << QStringList{com(12), com(3)} << QStringList{"X (COM12) y", "USB Serial Port (COM3)"};
    QTest::newRow("no ), no number, no port: not tried")
        << QStringList{"Modem (COM5", "Odd (COM)", "Odd (COMx)", "Printer (LPT1)", "D (COM2)"}
        << QStringList{com(5), com(2)} << QStringList{com(2)} << QStringList{"D (COM2)"};
    QTest::newRow("nothing opens")
        << QStringList{"A (COM3)"} << QStringList{} << QStringList{com(3)} << QStringList{};
#ifndef Q_OS_WIN
    QTest::newRow("device path") << QStringList{"FT232R (/dev/ttyUSB0)", "Serial port (/dev/ttyS4)"}
                                 << QStringList{"/dev/ttyUSB0"}
                                 << QStringList{"/dev/ttyUSB0", "/dev/ttyS4"}
                                 << QStringList{"FT232R (/dev/ttyUSB0)"};
#endif
}

void TestPortDiscovery::listsPortsThatOpen()
{
    QFETCH(QStringList, names);
    QFETCH(QStringList, openable);
    QFETCH(QStringList, probed);
    QFETCH(QStringList, listed);

    FakePorts ports;
    for (const QString &name : names) {
        ports.candidates.append(PortCandidate{name, "ID(COM99)"});
    }
    ports.openable = openable;
    QStringList expected;
    for (const QString &name : listed) {
        expected.append(name + " , ID(COM99)");
    }
    QCOMPARE(ports.discovery().openablePorts(), expected);
    QCOMPARE(ports.probed, probed);
}

void TestPortDiscovery::freshOnEveryCall()
{
    FakePorts ports;
    ports.candidates = {{"A (COM3)", "a"}, {"B (COM4)", "b"}};
    ports.openable = {com(4)};
    PortDiscovery discovery = ports.discovery();
    QCOMPARE(discovery.openablePorts(), QStringList{"B (COM4) , b"});

    // Another application lets go of COM3; a device is plugged in.
    ports.candidates.append(PortCandidate{"C (COM5)", "c"});
    ports.openable << com(3) << com(5);
    QCOMPARE(discovery.openablePorts(),
             (QStringList{"A (COM3) , a", "B (COM4) , b", "C (COM5) , c"}));
    QCOMPARE(ports.queries, 2);
}

QTEST_APPLESS_MAIN(TestPortDiscovery)
#include "tst_portdiscovery.moc"
