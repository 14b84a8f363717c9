// How a receiver comes by its name when none is given, and what a name does in a file name.
#include "engine/port/portdevice.h"
#include "engine/record/receiveridentity.h"
#include "programs/scan/receivernaming.h"

#include <QtTest>

namespace {
class ListedPorts : public PortDevices
{
public:
    explicit ListedPorts(QList<PortDevice> ports)
        : m_ports(std::move(ports))
    {}
    [[nodiscard]] QList<PortDevice> list() const override { return m_ports; }

private:
    QList<PortDevice> m_ports;
};
} // namespace

class TestReceiverName : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void named_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("serialNumber"); // of the adapter at /dev/ttyUSB0
        QTest::addColumn<QString>("name");
        QTest::newRow("the adapter's serial") << "/dev/ttyUSB0"
                                              << "A10K1234"
                                              << "A10K1234";
        QTest::newRow("a serial reduced") << "/dev/ttyUSB0"
                                          << "A1 B2/3"
                                          << "A1B23";
        QTest::newRow("no serial") << "/dev/ttyUSB0"
                                   << ""
                                   << "ttyUSB0";
        QTest::newRow("a serial of nothing it may hold") << "/dev/ttyUSB0"
                                                         << "..."
                                                         << "ttyUSB0";
        QTest::newRow("another port") << "/dev/ttyACM0"
                                      << "A10K1234"
                                      << "ttyACM0";
    }
    void named()
    {
        QFETCH(QString, port);
        QFETCH(QString, serialNumber);
        const ListedPorts ports(
            {{"/dev/ttyUSB0", {}, 0x0403, 0x6001, serialNumber, "/dev/ttyUSB0"}});
        QTEST(receivernaming::forPort(port, ports), "name");
    }

    void expanded_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("path");
        QTest::newRow("the name") << "/data/%r.csv"
                                  << "/data/north-1.csv";
        QTest::newRow("twice") << "%r/%r-sum.csv"
                               << "north-1/north-1-sum.csv";
        QTest::newRow("a percent sign") << "100%%-%r"
                                        << "100%-north-1";
        QTest::newRow("others left as they are") << "%x%R%"
                                                 << "%x%R%";
        QTest::newRow("a literal %r") << "%%r"
                                      << "%r";
    }
    void expanded()
    {
        QFETCH(QString, pattern);
        QTEST(receivername::expand(pattern, QStringLiteral("north-1")), "path");
    }
};

QTEST_GUILESS_MAIN(TestReceiverName)
#include "tst_receivername.moc"
