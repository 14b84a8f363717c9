#include "core/twips.h"
#include "engine/port/portentry.h"
#include "engine/port/portprobe.h"
#include "engine/port/portsource.h"
#include "windows/main/portselectionpanel.h"

#include <QLineEdit>
#include <QListWidget>
#include <QtTest>

namespace {
// The system name of port COMn, spelled out for Linux and macOS.
QString com(int number, const char *elsewhere)
{
#ifdef Q_OS_WIN
    static_cast<void>(elsewhere);
    return QStringLiteral("COM%1").arg(number);
#else
    static_cast<void>(number);
    return QString::fromLatin1(elsewhere);
#endif
}

// The computer's ports as a test sets them up, and the system names discovery tried, in order.
struct FakePorts
{
    QList<PortCandidate> candidates;
    QStringList openable;
    QStringList probed;
};

// Both ends of discovery, answering from a FakePorts.
struct FakeSystem final : PortSource, PortProbe
{
    explicit FakeSystem(FakePorts &ports)
        : m_ports(ports)
    {}
    QList<PortCandidate> candidates() const override { return m_ports.candidates; }
    bool opens(const QString &name) override
    {
        m_ports.probed.append(name);
        return m_ports.openable.contains(name);
    }
    FakePorts &m_ports;
};

PortDiscovery discoveryOf(FakePorts &ports)
{
    return {std::make_unique<FakeSystem>(ports), std::make_unique<FakeSystem>(ports)};
}
} // namespace

// The entries and the port names picked from them; then the list in a window with the controls
// it works on at their design places, and a frame below the port box that the open list covers.
class TestPortSelection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void entries_data();
    void entries();
    void entryText_data();
    void entryText();
    void init();
    void openCloseReopen();
    void pick();

private:
    // Where the list lies, in twips from the window's top, and whether it takes input.
    [[nodiscard]] QString listState() const
    {
        return QString::number(twips::fromPixels(m_list->y())) +
               (m_list->isEnabled() ? " enabled" : " disabled");
    }
    [[nodiscard]] QStringList listed() const
    {
        QStringList texts;
        for (int row = 0; row < m_list->count(); ++row) {
            texts.append(m_list->item(row)->text());
        }
        return texts;
    }

    FakePorts m_ports;
    std::unique_ptr<QWidget> m_window;
    QWidget *m_frame = nullptr;
    QLineEdit *m_portBox = nullptr;
    QListWidget *m_list = nullptr;
    PortSelectionPanel *m_panel = nullptr;
};

void TestPortSelection::entries_data()
{
    QTest::addColumn<QString>("entry");  // name " , " identifier
    QTest::addColumn<QString>("picked"); // null: nothing picked
    QTest::addColumn<QString>("probed"); // null: not tried, not listed
    const auto row = [](const char *tag, const char *entry, const QString &picked,
                        const QString &probed) {
        QTest::newRow(tag) << QString(entry) << picked << probed;
    };
    row("COM12", "USB (COM12) , FTDIBUS\\VID_0403", "COM12", com(12, "/dev/ttyS11"));
    row("COM3, text after )", "Port (COM3) x , ACPI", "COM3", com(3, "/dev/ttyS2"));
    row("no ) in the name", "Modem (COM5 , MODEM(0)", {}, {});
    row("no number", "Odd (COMx) , x", "COMx", {});
    row("no (COM, other case", "Printer (LPT1) (com3) , x", {}, {});
    row("identifier holds (COM", "BT (COM4) , BT\\(COM9)", "COM4", com(4, "/dev/ttyS3"));
#ifdef Q_OS_WIN
    row("device", "FT232R (/dev/ttyUSB0) , 0403:6001", {}, {});
#else
    row("device", "FT232R (/dev/ttyUSB0) , 0403:6001", "/dev/ttyUSB0", "/dev/ttyUSB0");
    row("device, identifier holds (COM", "S (/dev/ttyS0) , (COM7)", "/dev/ttyS0", "/dev/ttyS0");
    row("(COM before device", "A (COM2) (/dev/ttyS1) , x", "COM2", com(2, "/dev/ttyS1"));
    row("device without )", "S (/dev/ttyS0 , (COM7)", {}, {});
#endif
}

void TestPortSelection::entries()
{
    QFETCH(QString, entry);
    QFETCH(QString, picked);
    QFETCH(QString, probed);

    const QStringList parts = entry.split(" , ");
    QCOMPARE(portentry::portName(entry).value_or(QString()), picked);
    FakePorts ports{{{parts[0], parts[1]}}, {probed}, {}};
    // Joined, an empty list compares equal to a null string.
    QCOMPARE(discoveryOf(ports).openablePorts().join('|'), probed.isNull() ? QString() : entry);
    QCOMPARE(ports.probed.join('|'), probed);
}

void TestPortSelection::entryText_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<int>("vendor"); // -1: none
    QTest::addColumn<int>("product");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("entry");
    QTest::newRow("FTDI, serial number") << "FT232R USB UART" << 0x0403 << 0x6001 << "A10K1XYZ"
                                         << "FT232R USB UART (/dev/ttyUSB0) , 0403:6001 A10K1XYZ";
    QTest::newRow("no serial number, no description") << "" << 0x1a86 << 0x7523 << ""
                                                      << "Serial port (/dev/ttyUSB0) , 1A86:7523";
    QTest::newRow("no product id") << "x" << 0x0403 << -1 << "A1"
                                   << "x (/dev/ttyUSB0) , /dev/ttyS0";
}

void TestPortSelection::entryText()
{
    QFETCH(QString, description);
    QFETCH(int, vendor);
    QFETCH(int, product);
    QFETCH(QString, serial);
    const auto id = [](int value) {
        return value < 0 ? std::nullopt : std::optional(static_cast<quint16>(value));
    };
    QTEST(portentry::format(
              portentry::displayName(description, "/dev/ttyUSB0"),
              portentry::deviceIdentifier(id(vendor), id(product), serial, "/dev/ttyS0")),
          "entry");
}

void TestPortSelection::init()
{
    m_ports = FakePorts();
    m_window = std::make_unique<QWidget>();
    m_frame = new QWidget(m_window.get());
    m_frame->setGeometry(twips::toPixels(240, 360, 3915, 825));
    m_portBox = new QLineEdit(m_frame);
    m_portBox->setGeometry(twips::toPixels(240, 240, 1335, 420));
    m_list = new QListWidget(m_window.get());
    m_list->setGeometry(twips::toPixels(480, 1080, 9615, 1425));
    (new QWidget(m_window.get()))->setGeometry(twips::toPixels(240, 1200, 10095, 615));
    m_panel =
        new PortSelectionPanel(m_list, m_portBox, m_frame, discoveryOf(m_ports), m_window.get());
    m_panel->hide();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestPortSelection::openCloseReopen()
{
    QCOMPARE(listState(), "-3000 disabled");
    m_ports.candidates = {{"B (COM7)", "b"}, {"A (COM3)", "a"}, {"C (COM1)", "c"}};
    m_ports.openable = {com(7, "/dev/ttyS6"),
                        com(1, "/dev/ttyS0")}; // another application holds COM3

    m_panel->toggle();
    QCOMPARE(listState(), "1050 enabled");
    QCOMPARE(listed(), (QStringList{"B (COM7) , b", "C (COM1) , c"}));
    // Above the frame below the port box, and taking the clicks over it.
    QVERIFY(m_list->isAncestorOf(m_window->childAt(m_list->geometry().center())));

    m_panel->toggle();
    QCOMPARE(listState(), "-3000 disabled");

    // COM3 is let go of, a device is plugged in, and the port box has moved.
    m_ports.candidates.append(PortCandidate{"D (COM5)", "d"});
    m_ports.openable << com(3, "/dev/ttyS2") << com(5, "/dev/ttyS4");
    m_frame->move(m_frame->x(), twips::toPixels(90));
    m_portBox->setGeometry(twips::toPixels(600, 390, 1335, 600));
    m_panel->toggle();
    QCOMPARE(listed(),
             (QStringList{"B (COM7) , b", "A (COM3) , a", "C (COM1) , c", "D (COM5) , d"}));
    QCOMPARE(m_list->geometry(), twips::toPixels(480, 1110, 9615, 1425));

    m_panel->hide(); // the start button
    QCOMPARE(listState(), "-3000 disabled");
    QCOMPARE(m_portBox->text(), QString());
}

void TestPortSelection::pick()
{
    m_ports.candidates = {{"A (COM3)", "a"}, {"B (COM12)", "b"}}; // both held at first
    m_portBox->setText("COM1");
    m_panel->toggle();
    QCOMPARE(m_list->count(), 0);
    QTest::mouseClick(m_list->viewport(), Qt::LeftButton);
    QCOMPARE(listState(), "1050 enabled");
    m_panel->toggle();

    m_ports.openable = {com(3, "/dev/ttyS2"), com(12, "/dev/ttyS11")};
    m_panel->toggle();
    m_list->insertItem(0, "Modem (COM5 , MODEM(0)");
    QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {},
                      m_list->visualItemRect(m_list->item(0)).center());
    QCOMPARE(m_list->selectedItems().size(), 1);
    QCOMPARE(listState(), "1050 enabled");
    QCOMPARE(m_portBox->text(), "COM1");
    QTest::keyClick(m_list, Qt::Key_Down);
    QCOMPARE(m_portBox->text(), "COM3");
    QCOMPARE(listState(), "-3000 disabled");

    m_panel->toggle();
    m_list->setFocus();
    // Taking the focus gives a current row; only a selection picks.
    m_list->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    QCOMPARE(listState(), "1050 enabled");
    QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {},
                      m_list->visualItemRect(m_list->item(1)).center());
    QCOMPARE(m_portBox->text(), "COM12");
    QCOMPARE(listState(), "-3000 disabled");
}

QTEST_MAIN(TestPortSelection)
#include "tst_portselection.moc"
