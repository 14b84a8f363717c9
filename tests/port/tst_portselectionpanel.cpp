#include "fakeports.h"
#include "port/portname.h"
#include "port/portselectionpanel.h"
#include "ui/twips.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QtTest>

// A window with the controls the panel works on, at their design places, and a frame below the
// port box that the open list must cover.
class TestPortSelectionPanel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void openCloseReopen();
    void opensBelowPortBox_data();
    void opensBelowPortBox();
    void pick();
    void staysOpenWithoutPortName();

private:
    void addPort(const QString &name, int number);
    [[nodiscard]] int listTopTwips() const { return twips::fromPixels(m_list->y()); }

    FakePorts m_ports;
    std::unique_ptr<QWidget> m_window;
    QGroupBox *m_frame = nullptr;
    QLineEdit *m_portBox = nullptr;
    QListWidget *m_list = nullptr;
    QGroupBox *m_below = nullptr;
    PortSelectionPanel *m_panel = nullptr;
};

namespace {
constexpr int kHiddenTop = -3000;
const QRect kListDesign = twips::toPixels(480, 1080, 9615, 1425);
} // namespace

void TestPortSelectionPanel::init()
{
    m_ports = FakePorts();
    m_window = std::make_unique<QWidget>();
    m_window->resize(twips::toPixels(QSize(12645, 6750)));
    m_frame = new QGroupBox(m_window.get());
    m_frame->setGeometry(twips::toPixels(240, 360, 3915, 825));
    m_portBox = new QLineEdit(m_frame);
    m_portBox->setGeometry(twips::toPixels(240, 240, 1335, 420));
    m_list = new QListWidget(m_window.get());
    m_list->setGeometry(kListDesign);
    m_below = new QGroupBox(m_window.get());
    m_below->setGeometry(twips::toPixels(240, 1200, 10095, 615));
    m_panel =
        new PortSelectionPanel(m_list, m_portBox, m_frame, m_ports.discovery(), m_window.get());
    m_panel->hide();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestPortSelectionPanel::cleanup()
{
    m_window.reset();
}

void TestPortSelectionPanel::addPort(const QString &name, int number)
{
    m_ports.candidates.append(PortCandidate{name, QStringLiteral("ID%1").arg(number)});
    m_ports.openable.append(portname::systemNameForNumber(number));
}

void TestPortSelectionPanel::openCloseReopen()
{
    QCOMPARE(listTopTwips(), kHiddenTop);
    QVERIFY(!m_list->isEnabled());
    addPort("A (COM3)", 3);

    m_panel->toggle();
    QVERIFY(m_panel->isShown());
    QVERIFY(m_list->isEnabled());
    QCOMPARE(listTopTwips(), 1050);
    QCOMPARE(m_list->count(), 1);
    // The list takes the clicks over the frame it covers.
    const QPoint overFrame = m_below->geometry().center();
    QVERIFY(m_list->isAncestorOf(m_window->childAt(overFrame)));

    m_panel->toggle();
    QVERIFY(!m_panel->isShown());
    QCOMPARE(listTopTwips(), kHiddenTop);
    QVERIFY(!m_list->isEnabled());
    QCOMPARE(m_ports.queries, 1);

    addPort("B (COM4)", 4);
    m_panel->toggle();
    QCOMPARE(m_ports.queries, 2);
    QCOMPARE(m_list->count(), 2);
    QCOMPARE(m_list->item(1)->text(), "B (COM4) , ID4");

    m_panel->hide(); // the start button
    QCOMPARE(listTopTwips(), kHiddenTop);
    QVERIFY(!m_list->isEnabled());
    QCOMPARE(m_portBox->text(), QString());
}

void TestPortSelectionPanel::opensBelowPortBox_data()
{
    QTest::addColumn<QRect>("portBox"); // twips, inside the frame
    QTest::addColumn<int>("frameTop");
    QTest::addColumn<int>("listTop");

    QTest::newRow("design") << QRect(240, 240, 1335, 420) << 360 << 1050;
    QTest::newRow("box moved down") << QRect(240, 390, 1335, 420) << 360 << 1200;
    QTest::newRow("box taller, moved right") << QRect(600, 240, 1335, 600) << 360 << 1230;
    QTest::newRow("frame moved") << QRect(240, 240, 1335, 420) << 90 << 780;
}

void TestPortSelectionPanel::opensBelowPortBox()
{
    QFETCH(QRect, portBox);
    QFETCH(int, frameTop);
    QFETCH(int, listTop);

    m_frame->move(m_frame->x(), twips::toPixels(frameTop));
    m_portBox->setGeometry(
        twips::toPixels(portBox.left(), portBox.top(), portBox.width(), portBox.height()));
    m_panel->toggle();
    QCOMPARE(listTopTwips(), listTop);
    QCOMPARE(m_list->x(), kListDesign.x());
    QCOMPARE(m_list->size(), kListDesign.size());
}

void TestPortSelectionPanel::pick()
{
    addPort("Communications Port (COM3)", 3);
    addPort("USB Serial Port (COM12)", 12);
    m_panel->toggle();
    QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {},
                      m_list->visualItemRect(m_list->item(0)).center());
    QCOMPARE(m_portBox->text(), "COM3");
    QCOMPARE(listTopTwips(), kHiddenTop);

    m_panel->toggle();
    m_list->setFocus();
    // Taking the focus gives a current row; only a selection picks.
    m_list->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    QVERIFY(m_panel->isShown());
    QTest::keyClick(m_list, Qt::Key_Down);
    QCOMPARE(m_portBox->text(), "COM12");
    QVERIFY(!m_panel->isShown());
    QVERIFY(!m_list->isEnabled());
}

void TestPortSelectionPanel::staysOpenWithoutPortName()
{
    m_portBox->setText("COM1");
    m_panel->toggle();
    QVERIFY(m_panel->isShown());
    QCOMPARE(m_list->count(), 0);
    QTest::mouseClick(m_list->viewport(), Qt::LeftButton);

    m_list->addItem("Modem (COM5 , ROOT\\MODEM");
    QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {},
                      m_list->visualItemRect(m_list->item(0)).center());
    QCOMPARE(m_list->selectedItems().size(), 1);
    QVERIFY(m_panel->isShown());
    QVERIFY(m_list->isEnabled());
    QCOMPARE(m_portBox->text(), "COM1");
}

QTEST_MAIN(TestPortSelectionPanel)
#include "tst_portselectionpanel.moc"
