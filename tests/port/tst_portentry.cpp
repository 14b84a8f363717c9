#include "port/portentry.h"

#include <QtTest>

class TestPortEntry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pick_data();
    void pick();
    void entryOfDiscoveredPort_data();
    void entryOfDiscoveredPort();
};

void TestPortEntry::pick_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("expected"); // null: nothing picked

    QTest::newRow("COM12") << "USB Serial Port (COM12) , FTDIBUS\\VID_0403+PID_6001\\0000"
                           << "COM12";
    QTest::newRow("COM3, text after )") << "Communications Port (COM3) x , ACPI\\PNP0501\\1"
                                        << "COM3";
    QTest::newRow("no ) at all") << "Modem (COM5" << QString();
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

void TestPortEntry::pick()
{
    QFETCH(QString, entry);
    QFETCH(QString, expected);
    QCOMPARE(portentry::portName(entry).value_or(QString()), expected);
}

void TestPortEntry::entryOfDiscoveredPort_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QVariant>("vendor");
    QTest::addColumn<QVariant>("product");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("entry");

    QTest::newRow("USB") << "FT232R USB UART"
                         << "COM7" << QVariant(0x0403) << QVariant(0x6001) << "A50285BI"
                         << "FT232R USB UART (COM7) , 0403:6001 A50285BI";
    QTest::newRow("USB, no serial") << "CH340"
                                    << "COM8" << QVariant(0x1a86) << QVariant(0x7523) << ""
                                    << "CH340 (COM8) , 1A86:7523";
    QTest::newRow("no ids, no description") << ""
                                            << "COM1" << QVariant() << QVariant() << ""
                                            << "Serial port (COM1) , LOCATION";
    QTest::newRow("vendor only") << "Modem"
                                 << "COM9" << QVariant(0x0403) << QVariant() << "X"
                                 << "Modem (COM9) , LOCATION";
}

void TestPortEntry::entryOfDiscoveredPort()
{
    QFETCH(QString, description);
    QFETCH(QString, port);
    QFETCH(QVariant, vendor);
    QFETCH(QVariant, product);
    QFETCH(QString, serial);
    QFETCH(QString, entry);

    const auto id = [](const QVariant &v) {
        return v.isValid() ? std::optional(static_cast<quint16>(v.toUInt())) : std::nullopt;
    };
    const QString name = portentry::displayName(description, port);
    const QString built = portentry::format(
        name, portentry::deviceIdentifier(id(vendor), id(product), serial, "LOCATION"));
    QCOMPARE(built, entry);
    QCOMPARE(portentry::portName(built).value_or(QString()), port);
}

QTEST_APPLESS_MAIN(TestPortEntry)
#include "tst_portentry.moc"
