#include "core/designsizes.h"
#include "core/twips.h"
#include "engine/protocol/sweepengine.h"
#include "scriptedlink.h"
#include "windows/main/chartframe.h"
#include "windows/main/chartview.h"
#include "windows/main/colorswatch.h"
#include "windows/main/mainwindow.h"
#include "windows/main/placementwatch.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolTip>
#include <QWindow>
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

// Which X server a row's window runs under, in a child run of this test that it names.
constexpr char kServerVariable[] = "KVT318_TEST_X_SERVER";
const QString kBareX = QStringLiteral("Xvfb");
const QString kOpenbox = QStringLiteral("Xvfb and openbox");

// The first line a program prints, once it prints one.
QByteArray firstLine(QProcess &process)
{
    while (!process.canReadLine() && process.waitForReadyRead()) {
    }
    return process.readLine().trimmed();
}

// Moves a window once it is first exposed, as a window manager that places windows late does.
class LatePlacer : public QObject
{
public:
    LatePlacer(QWindow *window, QPoint to)
        : m_to(to)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *window = qobject_cast<QWindow *>(watched);
        if (event->type() == QEvent::Expose && window->isExposed()) {
            window->removeEventFilter(this);
            QTimer::singleShot(0, window, [window, to = m_to] { window->setPosition(to); });
        }
        return false;
    }

private:
    QPoint m_to;
};

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void startUp();
    void japaneseCaptionsHaveGlyphs();
    void maxSwatchColoursHeldMaximumAndMarker();
    void enlargingGrowsTheChart_data();
    void enlargingGrowsTheChart();
    void closingDuringRunKeepsSettings();
    void loneStoredCoordinate_data();
    void loneStoredCoordinate();
    void frameToolTipOnlyOverItsEmptyArea_data();
    void frameToolTipOnlyOverItsEmptyArea();

private: // NOLINT(readability-redundant-access-specifiers): Qt Test runs every private slot
    std::unique_ptr<MainWindow> makeWindow();
    void showWindow();

    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedLink *m_link = nullptr;
    // The engine outlives the window that shows it.
    std::unique_ptr<SweepEngine> m_engine;
    std::unique_ptr<MainWindow> m_window;
};

std::unique_ptr<MainWindow> TestMainWindow::makeWindow()
{
    auto link = std::make_unique<ScriptedLink>();
    m_link = link.get();
    m_engine = std::make_unique<SweepEngine>(std::move(link));
    MainWindow::Services services;
    services.settingsPath = m_dir->filePath(QStringLiteral("monitor.ini"));
    return std::make_unique<MainWindow>(*m_engine, std::move(services));
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
    m_engine.reset();
    m_dir.reset();
}

void TestMainWindow::startUp()
{
    showWindow();
    const FormControls &c = m_window->controls();
    QStringList tabOrder;
    QWidget *widget = c.command1;
    do {
        if ((widget->focusPolicy() & Qt::TabFocus) != 0 && widget->isEnabled()) {
            tabOrder.append(widget->objectName());
        }
        widget = widget->nextInFocusChain();
    } while (widget != c.command1);
    QCOMPARE(tabOrder,
             (QStringList{"Command1", "Color_Set_4", "Color_Set_3", "Color_Set_2", "Color_Set_1",
                          "Color_Set_5", "ComSelectSW", "Com_Port", "Check1_0", "Check1_1",
                          "Check1_2", "AveN", "Send", "RxDataDisp", "Check2"}));
    QCOMPARE(m_window->windowTitle(), "KVT-318M RSSI Monitor   Ver.= 1.0.0");
    QCOMPARE(m_window->frameGeometry().size(), QSize(713, 484));
    QVERIFY(!m_window->windowIcon().isNull());
    // The command boxes lie at the right edge, out of view but for a few pixels until the
    // window is widened.
    QVERIFY(m_window->width() - c.send->x() <= 9);
    QCOMPARE(m_window->refreshTimer().interval(), 300);
    QVERIFY(m_window->refreshTimer().isActive());
    QCOMPARE(m_window->engine().findChild<QTimer *>(QStringLiteral("StartTimer"))->interval(), 100);

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
    showWindow();
    const FormControls &c = m_window->controls();
    // A module in Air Monitor mode: channel index 5 at -40 dBm, then at -100, the rest at -140.
    m_link->replies = {"KVT-318M\r\n", "*MO=04\r\n"};
    for (int n = 0; n < 46; ++n) {
        m_link->replies.append(n == 5 ? "*RS=D8" : n == 45 ? "*RS=9C" : "*RS=74");
    }
    c.comPort->setText(QStringLiteral("COM3"));
    QTest::mouseClick(c.command1, Qt::LeftButton);
    QTRY_VERIFY(m_link->replies.isEmpty() && m_window->engine().monitorState().latest[5] == -100);
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

// Closing the window mid-run closes the port once and sends nothing more; the position and the
// port come back at the next start.
void TestMainWindow::closingDuringRunKeepsSettings()
{
    m_window->controls().comPort->setText(QStringLiteral("/dev/ttyUSB1"));
    showWindow();
    m_window->move(30, 20);
    QTRY_COMPARE(m_window->pos(), QPoint(30, 20));
    QTest::mouseClick(m_window->controls().command1, Qt::LeftButton);
    QVERIFY(m_link->isOpen());
    QCOMPARE(m_window->controls().command1->text(), QStringLiteral("モニタ準備中"));
    const qsizetype writtenBefore = m_link->written.size();

    QVERIFY(m_window->close());
    QVERIFY(!m_link->isOpen());
    QCOMPARE(m_link->closeCount, 1);
    QCOMPARE(m_link->written.size(), writtenBefore);
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

void TestMainWindow::loneStoredCoordinate_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QString>("server"); // empty: this test's own platform, without a manager
    QTest::addColumn<int>("runs");       // enough to catch a race with the window manager
    QTest::addColumn<QPoint>("late");    // where the window is moved once exposed, if anywhere
    const QByteArray top("Form1_Top    ,1500  ,x\r\n");
    const QByteArray left("Form1_Top    ,abc  ,x\r\nForm1_Left   ,999999  ,x\r\n");
    QTest::newRow("Top only") << top << QString() << 1 << QPoint();
    QTest::newRow("Left only") << left << QString() << 1 << QPoint();
    QTest::newRow("Top only, placed late") << top << QString() << 1 << QPoint(40, 30);
    QTest::newRow("Left only, placed late") << left << QString() << 1 << QPoint(40, 30);
    QTest::newRow("Left only, X without a manager") << left << kBareX << 2 << QPoint();
    QTest::newRow("Top only, openbox") << top << kOpenbox << 10 << QPoint();
    QTest::newRow("Left only, openbox") << left << kOpenbox << 10 << QPoint();
}

void TestMainWindow::loneStoredCoordinate()
{
    QFETCH(QByteArray, record);
    QFETCH(QString, server);
    QFETCH(int, runs);
    QFETCH(QPoint, late);
    if (!server.isEmpty() && qEnvironmentVariable(kServerVariable) != server) {
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("openbox")).isEmpty()) {
            QSKIP("Xvfb or openbox not found (Debian packages xvfb, openbox)");
        }
        QProcess x;
        QProcess manager;
        const auto stop = qScopeGuard([&] {
            for (QProcess *process : {&manager, &x}) {
                process->kill();
                process->waitForFinished();
            }
        });
        // Xvfb picks a free display and names it once it takes clients.
        x.start(QStringLiteral("Xvfb"),
                QStringLiteral("-displayfd 1 -screen 0 1280x1024x24 -nolisten tcp").split(' '));
        const QString display = ':' + QString::fromLatin1(firstLine(x));
        QVERIFY2(display.size() > 1, "Xvfb did not start");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), display);
        if (server == kOpenbox) {
            const QString rc = m_dir->filePath(QStringLiteral("openbox.xml"));
            QVERIFY(writeFile(rc, "<openbox_config xmlns=\"http://openbox.org/3.4/rc\"><placement>"
                                  "<policy>Smart</policy><center>yes</center></placement>"
                                  "</openbox_config>\n"));
            manager.setProcessEnvironment(environment);
            // Openbox runs its start-up command once it manages the screen.
            manager.start(QStringLiteral("openbox"),
                          {QStringLiteral("--config-file"), rc, QStringLiteral("--startup"),
                           QStringLiteral("echo managing")});
            QCOMPARE(firstLine(manager), "managing");
        }
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QString::fromLatin1(kServerVariable), server);
        // The X platform's D-Bus library keeps memory to the end; the rows without X check the
        // window's own leaks.
        environment.insert(QStringLiteral("ASAN_OPTIONS"),
                           environment.value(QStringLiteral("ASAN_OPTIONS")) + ":detect_leaks=0");
        for (int run = 1; run <= runs; ++run) {
            QProcess child;
            child.setProcessEnvironment(environment);
            child.setProcessChannelMode(QProcess::MergedChannels);
            child.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("loneStoredCoordinate:") + QTest::currentDataTag()});
            QVERIFY2(child.waitForFinished() && child.exitStatus() == QProcess::NormalExit &&
                         child.exitCode() == 0,
                     qPrintable(QStringLiteral("run %1 of %2:\n").arg(run).arg(runs) +
                                QString::fromLocal8Bit(child.readAll())));
        }
        return;
    }

    m_window.reset();
    QVERIFY(writeFile(m_dir->filePath(QStringLiteral("monitor.ini")), record));
    m_window = makeWindow();
    // The other coordinate is not made up before the window system has placed the window.
    QVERIFY(!m_window->testAttribute(Qt::WA_Moved));
    std::unique_ptr<LatePlacer> placer;
    if (!late.isNull()) {
        m_window->winId();
        placer = std::make_unique<LatePlacer>(m_window->windowHandle(), late);
    }
    showWindow();
    // The other coordinate stays the window system's: openbox centres the window as it first
    // maps it, framed; without a manager the frame stays at 0, 0.
    QWindow *handle = m_window->windowHandle();
    const QSize outer = twips::toPixels(QSize(designsizes::kStartWidth, designsizes::kStartHeight));
    const QSize room = m_window->screen()->size() - outer;
    const QSize centring = m_window->screen()->size() - outer.grownBy(handle->frameMargins());
    QPoint expected;
    if (server == kOpenbox) {
        expected = QPoint(centring.width() / 2, centring.height() / 2);
    }
    if (!late.isNull()) {
        // Where the window manager put the client area.
        expected = late - QPoint(handle->frameMargins().left(), handle->frameMargins().top());
    }
    const bool left = record.contains("Form1_Left");
    if (left) {
        expected.setX(room.width());
    } else {
        expected.setY(twips::toPixels(1500));
    }
    QTRY_COMPARE(m_window->pos(), expected);
    // The outer size is the design's, the frame included, in every run.
    QCOMPARE(m_window->size(), outer.shrunkBy(handle->frameMargins()));

    // Applied once: where the user then moves the window, it stays.
    QSignalSpy moved(handle, left ? &QWindow::xChanged : &QWindow::yChanged);
    QVERIFY(moved.isValid());
    const QPoint user(50, 60);
    m_window->move(user);
    const int userCoordinate =
        left ? user.x() + handle->frameMargins().left() : user.y() + handle->frameMargins().top();
    QTRY_VERIFY(!moved.isEmpty() && moved.last().at(0).toInt() == userCoordinate);
    moved.clear();
    QVERIFY(!moved.wait(static_cast<int>(PlacementWatch::kStillTime.count())));
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
