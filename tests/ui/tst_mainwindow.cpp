#include "chart/chartframe.h"
#include "chart/chartview.h"
#include "chart/colorswatch.h"
#include "protocol/monitorsession.h"
#include "scriptedlink.h"
#include "ui/mainwindow.h"
#include "ui/outersize.h"
#include "ui/twips.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolTip>
#include <QtTest>

#include <memory>

namespace {

// The caption or text a control shows, whatever its kind.
QString captionOf(const QWidget *widget)
{
    if (const auto *label = qobject_cast<const QLabel *>(widget)) {
        return label->text();
    }
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget)) {
        return button->text();
    }
    if (const auto *edit = qobject_cast<const QLineEdit *>(widget)) {
        return edit->text();
    }
    if (const auto *frame = qobject_cast<const QGroupBox *>(widget)) {
        return frame->title();
    }
    return {};
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void tabOrder();
    void startUp();
    void japaneseCaptionsHaveGlyphs();
    void maxSwatchColoursHeldMaximumAndMarker();
    void enlargingGrowsTheChart_data();
    void enlargingGrowsTheChart();
    void closingDuringRunClosesPortQuietly();
    void settingsSurviveRestart();
    void settleOnlyUnderAFrame_data();
    void settleOnlyUnderAFrame();
    void loneStoredCoordinate_data();
    void loneStoredCoordinate();
    void frameToolTipOnlyOverItsEmptyArea_data();
    void frameToolTipOnlyOverItsEmptyArea();

private: // NOLINT(readability-redundant-access-specifiers): Qt Test runs every private slot
    std::unique_ptr<MainWindow> makeWindow();
    void showWindow();

    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedLink *m_link = nullptr;
    std::unique_ptr<MainWindow> m_window;
};

std::unique_ptr<MainWindow> TestMainWindow::makeWindow()
{
    MainWindow::Services services;
    m_link = new ScriptedLink;
    services.link = m_link;
    services.settingsPath = m_dir->filePath(QStringLiteral("monitor.ini"));
    return std::make_unique<MainWindow>(std::move(services));
}

void TestMainWindow::showWindow()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestMainWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_window = makeWindow();
}

void TestMainWindow::cleanup()
{
    m_window.reset();
    m_dir.reset();
}

void TestMainWindow::tabOrder()
{
    const QStringList expected = {"Command1",    "Color_Set_4", "Color_Set_3", "Color_Set_2",
                                  "Color_Set_1", "Color_Set_5", "ComSelectSW", "Com_Port",
                                  "Check1_0",    "Check1_1",    "Check1_2",    "AveN",
                                  "Send",        "RxDataDisp",  "Check2"};
    QStringList order;
    QWidget *widget = m_window->controls().command1;
    do {
        if ((widget->focusPolicy() & Qt::TabFocus) != 0 && widget->isEnabled()) {
            order.append(widget->objectName());
        }
        widget = widget->nextInFocusChain();
    } while (widget != m_window->controls().command1);
    QCOMPARE(order, expected);
}

void TestMainWindow::startUp()
{
    showWindow();
    const FormControls &c = m_window->controls();
    QCOMPARE(m_window->windowTitle(), "KVT-318M RSSI Monitor   Ver.= 1.0.0");
    QCOMPARE(m_window->frameGeometry().size(), QSize(713, 484));
    QVERIFY(!m_window->windowIcon().isNull());
    // The command boxes lie at the right edge, out of view but for a few pixels until the
    // window is widened.
    QVERIFY(m_window->width() - c.send->x() <= 9);
    QCOMPARE(m_window->refreshTimer().interval(), 300);
    QVERIFY(m_window->refreshTimer().isActive());
    QCOMPARE(m_window->session().startStepTimer()->interval(), 100);

    // Background, level lines, RSSI, Max, cursor; the marker takes the level lines' grey.
    QList<QColor> colours;
    for (std::size_t k = 1; k <= 5; ++k) {
        colours << c.colorSet.at(k)->color();
    }
    const QColor base = QGuiApplication::palette().color(QPalette::Active, QPalette::Base);
    QCOMPARE(colours, (QList<QColor>{base, QColor(128, 128, 128), QColor(0, 255, 0),
                                     QColor(255, 0, 0), QColor(0, 0, 255)}));
    QCOMPARE(c.picture2->palette().color(QPalette::Window), QColor(128, 128, 128));
}

void TestMainWindow::japaneseCaptionsHaveGlyphs()
{
    const QList<QWidget *> widgets = m_window->findChildren<QWidget *>();
    int checked = 0;
    for (QWidget *widget : widgets) {
        const QString text = captionOf(widget) + widget->toolTip();
        const QFontMetrics metrics(widget->font());
        for (const QChar ch : qAsConst(text)) {
            if (ch.unicode() < 0x80) {
                continue;
            }
            QVERIFY2(metrics.inFont(ch), qPrintable(widget->objectName() + QLatin1Char(' ') + ch));
            ++checked;
        }
    }
    QVERIFY(checked > 100);
}

// A click on the Max swatch recolours the held-maximum bars at the next refresh and the sweep
// marker at once; the RSSI bars keep their colour.
void TestMainWindow::maxSwatchColoursHeldMaximumAndMarker()
{
    MonitorState &s = m_window->state();
    s.rssi[5] = -100;
    s.rssiMax[5] = -40;
    showWindow();
    const FormControls &c = m_window->controls();
    QTest::mouseClick(c.colorSet.at(4), Qt::LeftButton);
    QSignalSpy tick(&m_window->refreshTimer(), &QTimer::timeout);
    QVERIFY(tick.wait());

    const QImage window = m_window->grab().toImage();
    // Column 5 of the 224-twip columns, 23.3 twips a dB: -70 dBm lies in the held maximum only.
    const auto chartPixel = [&](double twipsX, double level) {
        const QPoint inChart(twips::toPixels(twipsX), twips::toPixels(3495 - (level + 140) * 23.3));
        return window.pixelColor(c.picture1->mapTo(m_window.get(), inChart));
    };
    const QColor magenta(255, 0, 255);
    QCOMPARE(chartPixel(15 + 5.4 * 224, -70), magenta);
    QCOMPARE(chartPixel(15 + 5.4 * 224, -120), QColor(0, 255, 0));
    QCOMPARE(window.pixelColor(c.picture2->mapTo(m_window.get(), c.picture2->rect().center())),
             magenta);
    // Sixteen clicks in all go round the whole palette.
    for (int i = 1; i < 16; ++i) {
        QTest::mouseClick(c.colorSet.at(4), Qt::LeftButton);
    }
    QCOMPARE(c.colorSet.at(4)->color(), QColor(255, 0, 0));
}

void TestMainWindow::enlargingGrowsTheChart_data()
{
    QTest::addColumn<QSize>("outer");     // pixels
    QTest::addColumn<QSize>("frame2");    // pixels
    QTest::addColumn<QSizeF>("picture1"); // twips
    // 12690 × 8265 twips: 975 twips taller than the design height of 7290.
    QTest::newRow("wider and taller") << QSize(846, 551) << QSize(806, 378) << QSizeF(11010, 4470);
    QTest::newRow("smaller keeps the design size")
        << QSize(600, 400) << QSize(673, 313) << QSizeF(9015, 3495);
}

void TestMainWindow::enlargingGrowsTheChart()
{
    QFETCH(QSize, outer);
    showWindow();
    m_window->resize(outer - (m_window->frameGeometry().size() - m_window->size()));
    QTRY_COMPARE(m_window->frameGeometry().size(), outer);
    QTEST(m_window->controls().frame2->size(), "frame2");
    QTEST(m_window->controls().picture1->sizeTwips(), "picture1");
}

void TestMainWindow::closingDuringRunClosesPortQuietly()
{
    m_window->show();
    m_window->controls().comPort->setText(QStringLiteral("COM3"));
    QTest::mouseClick(m_window->controls().command1, Qt::LeftButton);
    QVERIFY(m_link->isOpen());
    QCOMPARE(m_window->controls().command1->text(), QStringLiteral("モニタ準備中"));
    const qsizetype writtenBefore = m_link->written.size();

    QVERIFY(m_window->close());
    QVERIFY(!m_link->isOpen());
    QCOMPARE(m_link->closeCount, 1);
    QCOMPARE(m_link->written.size(), writtenBefore);
}

void TestMainWindow::settingsSurviveRestart()
{
    m_window->controls().comPort->setText(QStringLiteral("/dev/ttyUSB1"));
    showWindow();
    m_window->move(30, 20);
    QTRY_COMPARE(m_window->pos(), QPoint(30, 20));
    QVERIFY(m_window->close());
    m_window.reset();

    QFile file(m_dir->filePath(QStringLiteral("monitor.ini")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray stored = file.readAll();
    QVERIFY(stored.startsWith("Form1_Top    ,300  ,"));
    QVERIFY(stored.contains("\r\nForm1_Left   ,450  ,"));
    QVERIFY(stored.contains("\r\nComNo        ,/dev/ttyUSB1  ,"));

    m_window = makeWindow();
    QCOMPARE(m_window->controls().comPort->text(), QStringLiteral("/dev/ttyUSB1"));
    QCOMPARE(m_window->pos(), QPoint(30, 20));
}

void TestMainWindow::settleOnlyUnderAFrame_data()
{
    QTest::addColumn<QMargins>("frame");
    QTest::addColumn<QSize>("client"); // empty: nothing to settle
    QTest::newRow("title bar only") << QMargins(0, 30, 0, 0) << QSize(713, 454);
    QTest::newRow("every side") << QMargins(8, 30, 8, 8) << QSize(697, 446);
    QTest::newRow("no frame") << QMargins() << QSize();
}

void TestMainWindow::settleOnlyUnderAFrame()
{
    QFETCH(QMargins, frame);
    QTEST(outersize::settledClientSize(QSize(713, 484), frame).value_or(QSize()), "client");
}

void TestMainWindow::loneStoredCoordinate_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QPoint>("pos"); // the platform puts a window's frame at 0, 0
    QTest::newRow("Top only") << QByteArray("Form1_Top    ,1500  ,x\r\n") << QPoint(0, 100);
    QTest::newRow("Left only") << QByteArray("Form1_Left   ,600  ,x\r\n") << QPoint(40, 0);
}

void TestMainWindow::loneStoredCoordinate()
{
    QFETCH(QByteArray, record);
    QFETCH(QPoint, pos);
    m_window.reset();
    QFile file(m_dir->filePath(QStringLiteral("monitor.ini")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(record), record.size());
    file.close();
    m_window = makeWindow();
    // The other coordinate is not made up before the window system has placed the window.
    QVERIFY(!m_window->testAttribute(Qt::WA_Moved));
    showWindow();
    QTRY_COMPARE(m_window->pos(), pos);
}

void TestMainWindow::frameToolTipOnlyOverItsEmptyArea_data()
{
    QTest::addColumn<QString>("under"); // the widget under the pointer
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QString>("tip");
    QTest::newRow("Frame2") << "Frame2" << QPoint(4, 30) << "ここをクリックでカーソルOFF";
    QTest::newRow("Check2") << "Check2" << QPoint(5, 5) << "";
    QTest::newRow("axis label") << "ChLabel_3" << QPoint(5, 5) << "";
    QTest::newRow("sweep marker") << "Picture2" << QPoint(1, 1) << "";
    QTest::newRow("chart, its own")
        << "Picture1" << QPoint(9, 9) << "ウィンドウ枠内クリックでカーソルON 、枠外クリックでOFF";
    QTest::newRow("Frame3") << "Frame3" << QPoint(20, 20) << "グラフの表示色を選択";
    QTest::newRow("swatch") << "Color_Set_2" << QPoint(5, 5) << "";
    QTest::newRow("Frame4") << "Frame4" << QPoint(150, 60)
                            << "モジュールに設定されている無線モードを表示します。";
    QTest::newRow("mode box") << "Check1_0" << QPoint(5, 5) << "";
}

void TestMainWindow::frameToolTipOnlyOverItsEmptyArea()
{
    QFETCH(QString, under);
    QFETCH(QPoint, at);
    showWindow();
    QToolTip::hideText();
    QTRY_VERIFY(!QToolTip::isVisible());
    auto *widget = m_window->findChild<QWidget *>(under);
    QVERIFY(widget != nullptr);
    QHelpEvent help(QEvent::ToolTip, at, widget->mapToGlobal(at));
    QApplication::sendEvent(widget, &help);
    QTEST(QToolTip::isVisible() ? QToolTip::text() : QString(), "tip");
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
