// The device a reopen picks for a port named plainly, after its USB device may have moved.
#include "engine/port/portfollower.h"

#include <QtTest>

struct FakeDevices final : PortDevices
{
    QList<PortDevice> ports;
    QList<PortDevice> list() const override { return ports; }
};

class TestPortFollower : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void followsItsDevice_data()
    {
        QTest::addColumn<QString>("serial"); // the device's when first opened
        QTest::addColumn<bool>("nameGone");
        QTest::addColumn<QString>("elsewhere"); // of the port under another name
        QTest::addColumn<bool>("follows");
        QTest::newRow("name present") << "A1B2C3" << false << "A1B2C3" << false;
        QTest::newRow("name gone, same ids elsewhere") << "A1B2C3" << true << "A1B2C3" << true;
        QTest::newRow("name gone, no match") << "A1B2C3" << true << "Z9" << false;
        QTest::newRow("no serial number recorded") << "" << true << "" << false;
    }
    void followsItsDevice()
    {
        QFETCH(QString, serial);
        QFETCH(QString, elsewhere);
        QFETCH(bool, nameGone);
        QFETCH(bool, follows);
        const QTemporaryDir dir;
        const QString name = dir.filePath("ttyUSB0");
        const QString other = dir.filePath("ttyUSB1");
        QVERIFY(QFile(name).open(QIODevice::WriteOnly));
        auto fake = std::make_unique<FakeDevices>();
        FakeDevices &devices = *fake;
        devices.ports = {{name, "FT232R USB UART", 0x0403, 0x6001, serial, name}};
        PortFollower follower(name, std::move(fake));
        QCOMPARE(follower.choose().device, name);
        follower.opened();

        devices.ports = {{other, {}, 0x0403, 0x6001, elsewhere, other}};
        QVERIFY(!nameGone || QFile::remove(name));
        const QString told =
            name + " is gone; following its device (0403:6001 serial " + serial + ") to " + other;
        for (const bool first : {true, false}) {
            const PortFollower::Choice choice = follower.choose();
            QCOMPARE(choice.device, follows ? other : name);
            QCOMPARE(choice.note, follows && first ? told : QString());
            // Told once; from then on the ids decide, even when the name is back.
            QVERIFY(QFile(name).open(QIODevice::WriteOnly));
        }
    }
};

QTEST_GUILESS_MAIN(TestPortFollower)
#include "tst_portfollower.moc"
