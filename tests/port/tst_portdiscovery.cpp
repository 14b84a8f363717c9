#include "fakeports.h"
#include "port/portname.h"

#include <QtTest>

class TestPortDiscovery : public QObject
{
    Q_OBJECT

private Q_SLOTS:
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
    QTest::newRow("nothing found")
        << QStringList{} << QStringList{} << QStringList{} << QStringList{};
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
    PortDiscovery discovery = ports.discovery();

    QStringList expected;
    for (const QString &name : listed) {
        expected.append(name + " , ID(COM99)");
    }
    QCOMPARE(discovery.openablePorts(), expected);
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
    ports.openable.append(com(3));
    ports.candidates.append(PortCandidate{"C (COM5)", "c"});
    ports.openable.append(com(5));
    QCOMPARE(discovery.openablePorts(),
             (QStringList{"A (COM3) , a", "B (COM4) , b", "C (COM5) , c"}));
    QCOMPARE(ports.queries, 2);
}

QTEST_APPLESS_MAIN(TestPortDiscovery)
#include "tst_portdiscovery.moc"
