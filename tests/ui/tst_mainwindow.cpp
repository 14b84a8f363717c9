#include "chart/colorswatch.h"
#include "protocol/monitorsession.h"
#include "scriptedlink.h"
#include "ui/mainwindow.h"
#include "ui/twips.h"

#include <QCheckBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

enum class Face { Proportional, Fixed, System };

struct DesignFont
{
    Face face;
    double points;
    bool bold;
};

const QString kMonitorTitle = QStringLiteral("KVT-318M RSSI Monitor   Ver.= 1.0.0");

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

Q_DECLARE_METATYPE(Face)
Q_DECLARE_METATYPE(DesignFont)

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void controlDesign_data();
    void controlDesign();
    void tabOrder();
    void startUp();
    void swatchColours_data();
    void swatchColours();
    void japaneseCaptionsHaveGlyphs();
    void controlsBehaveAsTheirKind();
    void closingDuringRunClosesPortQuietly();
    void settingsSurviveRestart();

private:
    std::unique_ptr<MainWindow> makeWindow();

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

void TestMainWindow::controlDesign_data()
{
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QRect>("place");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<DesignFont>("font");
    QTest::addColumn<QString>("toolTip");

    const DesignFont sys{Face::System, 0, false};
    const DesignFont p1125{Face::Proportional, 11.25, false};
    const DesignFont p1125b{Face::Proportional, 11.25, true};
    const DesignFont p12{Face::Proportional, 12, false};
    const DesignFont g1125{Face::Fixed, 11.25, false};
    const QString form = QStringLiteral("");
    auto row = [](const QByteArray &name, const QString &container, const char *kind, QRect place,
                  const QString &caption, DesignFont font, const QString &tip) {
        QTest::newRow(name.constData())
            << container << QString::fromLatin1(kind) << place << caption << font << tip;
    };
    // Places in twips inside the container; Com_PortList starts hidden at Top -3000.
    row("Com_PortList", form, "QListWidget", {480, -3000, 9615, 1425}, {}, sys,
        QStringLiteral("何れか選択するか、再度「ポート選択」ボタンで閉じます。"));
    row("RxDataDisp", form, "QLineEdit", {10560, 720, 1815, 375}, {}, sys, {});
    row("Send", form, "QLineEdit", {10560, 240, 1815, 375}, {}, sys, {});
    row("AveN", form, "QLineEdit", {9720, 840, 375, 285}, QStringLiteral("08"), p1125,
        QStringLiteral("Air Monitorモードの場合のRSSI取得時のサンプリング回数を変更できます。"));
    row("Frame4", form, "HiddenCaptionFrame", {7920, 120, 2415, 1095}, QStringLiteral("Frame4"),
        sys, QStringLiteral("モジュールに設定されている無線モードを表示します。"));
    row("Check1_2", QStringLiteral("Frame4"), "QCheckBox", {240, 720, 1695, 255},
        QStringLiteral("Air Monitor"), p12, {});
    row("Check1_1", QStringLiteral("Frame4"), "QCheckBox", {1080, 360, 855, 255},
        QStringLiteral("LoRa"), p12, {});
    row("Check1_0", QStringLiteral("Frame4"), "QCheckBox", {240, 360, 855, 255},
        QStringLiteral("FSK"), p12, {});
    row("Label2", QStringLiteral("Frame4"), "QLabel", {120, 0, 1815, 255},
        QStringLiteral("現在の無線モード"), p1125, {});
    row("Frame1", form, "QGroupBox", {240, 360, 3915, 825}, QStringLiteral("Comポート設定"), sys,
        {});
    row("Com_Port", QStringLiteral("Frame1"), "QLineEdit", {240, 240, 1335, 420}, {},
        DesignFont{Face::Proportional, 14.25, false},
        QStringLiteral("KVT-318D/KVT-318Mが接続されているComポート番号を選択。"));
    row("ComSelectSW", QStringLiteral("Frame1"), "QPushButton", {1800, 240, 1815, 465},
        QStringLiteral("ポート選択"), p1125b,
        QStringLiteral("PCに接続されているComポートを検出し、リスト表示します。\u3000"
                       "但し他アプリで使用(Open)中のポートは表示されません。"));
    row("Frame3", form, "QGroupBox", {240, 1200, 10095, 615}, QStringLiteral("カラー設定"), sys,
        QStringLiteral("グラフの表示色を選択"));
    const int swatchLefts[] = {2040, 3960, 5640, 7200, 9120};
    for (int k = 0; k < 5; ++k) {
        row("Color_Set_" + QByteArray::number(k + 1), QStringLiteral("Frame3"),
            "chart::ColorSwatch", {swatchLefts[k], 240, 735, 270}, {}, sys, {});
    }
    row("Label1_0", QStringLiteral("Frame3"), "QLabel", {1560, 300, 495, 255},
        QStringLiteral("背景"), sys, {});
    row("Label1_1", QStringLiteral("Frame3"), "QLabel", {3120, 300, 855, 195},
        QStringLiteral("レベル線"), sys, {});
    row("Label1_2", QStringLiteral("Frame3"), "QLabel", {5040, 300, 495, 255},
        QStringLiteral("RSSI"), sys, {});
    row("Label1_3", QStringLiteral("Frame3"), "QLabel", {6720, 300, 375, 255},
        QStringLiteral("Max"), sys, {});
    row("Label1_4", QStringLiteral("Frame3"), "QLabel", {8280, 300, 735, 255},
        QStringLiteral("カーソル"), sys, {});
    row("Frame2", form, "chart::ChartFrame", {240, 1800, 10095, 4695}, {}, p1125,
        QStringLiteral("ここをクリックでカーソルOFF"));
    row("Check2", QStringLiteral("Frame2"), "QCheckBox", {8040, 240, 1815, 375},
        QStringLiteral("ｶｰｿﾙChのみ測定"), sys, {});
    row("Picture1", QStringLiteral("Frame2"), "chart::ChartView", {840, 720, 9015, 3495}, {}, p1125,
        QStringLiteral("ウィンドウ枠内クリックでカーソルON 、枠外クリックでOFF"));
    row("CursolRSSI_ChText", QStringLiteral("Frame2"), "QLabel", {840, 240, 6975, 330}, {},
        DesignFont{Face::Fixed, 12, true}, {});
    row("Command1", form, "QPushButton", {4320, 450, 3375, 615}, QStringLiteral("モニタ停止"),
        p1125b, QStringLiteral("エアーモニタの開始/停止"));
    row("Message", form, "QLabel", {360, 60, 7335, 255}, {}, p12, {});
    for (int i = 0; i < 8; ++i) {
        // Their tops follow the chart's scale once laid out: 853 + 466 i at the start-up size.
        row("RssiLabel_" + QByteArray::number(i), QStringLiteral("Frame2"), "QLabel",
            {120, 853 + 466 * i, 615, 255}, QString::number(-20 * i), g1125, {});
    }
    for (int i = 0; i < 10; ++i) {
        row("ChLabel_" + QByteArray::number(i), QStringLiteral("Frame2"), "QLabel",
            {867 + 896 * i, 4320, 255, 255}, QString::number(7 + 4 * i), p1125, {});
    }
}

void TestMainWindow::controlDesign()
{
    QFETCH(QString, container);
    QFETCH(QString, kind);
    QFETCH(QRect, place);
    QFETCH(QString, caption);
    QFETCH(DesignFont, font);
    QFETCH(QString, toolTip);

    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    auto *widget = m_window->findChild<QWidget *>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(widget != nullptr);
    QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), kind);
    QCOMPARE(widget->parentWidget()->objectName(), container.isEmpty() ? QString() : container);
    if (container.isEmpty()) {
        QCOMPARE(widget->parentWidget(), m_window.get());
    }
    QCOMPARE(widget->geometry(),
             twips::toPixels(place.left(), place.top(), place.width(), place.height()));
    QCOMPARE(widget->toolTip(), toolTip);

    QCOMPARE(captionOf(widget), caption);

    const QFont actual = widget->font();
    if (font.face == Face::System) {
        QCOMPARE(actual.families(), QApplication::font().families());
    } else {
        const QString first = font.face == Face::Proportional ? QStringLiteral("ＭＳ Ｐゴシック")
                                                              : QStringLiteral("ＭＳ ゴシック");
        QCOMPARE(actual.families().value(0), first);
        QCOMPARE(actual.pointSizeF(), font.points);
        QCOMPARE(actual.bold(), font.bold);
    }
}

void TestMainWindow::tabOrder()
{
    const QStringList expected = {
        QStringLiteral("Command1"),    QStringLiteral("Color_Set_4"), QStringLiteral("Color_Set_3"),
        QStringLiteral("Color_Set_2"), QStringLiteral("Color_Set_1"), QStringLiteral("Color_Set_5"),
        QStringLiteral("ComSelectSW"), QStringLiteral("Com_Port"),    QStringLiteral("Check1_0"),
        QStringLiteral("Check1_1"),    QStringLiteral("Check1_2"),    QStringLiteral("AveN"),
        QStringLiteral("Send"),        QStringLiteral("RxDataDisp"),  QStringLiteral("Check2")};
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
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    const FormControls &c = m_window->controls();
    QCOMPARE(m_window->windowTitle(), kMonitorTitle);
    QCOMPARE(m_window->frameGeometry().size(), QSize(713, 484));
    QVERIFY(c.message->text().isEmpty());
    QVERIFY(!c.comPortList->isEnabled());
    QVERIFY(c.comPortList->geometry().bottom() < 0);
    QVERIFY(!m_window->windowIcon().isNull());

    // The command boxes lie at the right edge, out of view but for a few pixels until the
    // window is widened.
    QVERIFY(m_window->width() - c.send->x() <= 9);
    QVERIFY(m_window->width() - c.rxDataDisp->x() <= 9);

    QCOMPARE(m_window->refreshTimer().interval(), 300);
    QVERIFY(m_window->refreshTimer().isActive());
    QTimer *startTimer = m_window->session().startStepTimer();
    QCOMPARE(startTimer->objectName(), QStringLiteral("StartTimer"));
    QCOMPARE(startTimer->interval(), 100);
    QVERIFY(!startTimer->isActive());

    const MonitorState &s = m_window->state();
    QCOMPARE(s.chStart, qint16(7));
    QCOMPARE(s.chMax, qint16(39));
    QCOMPARE(s.chLabelStep, qint16(4));
    QCOMPARE(s.chIdx, 0);
    QCOMPARE(s.colorTableMax, 15);
    QVERIFY(!s.cursorCh.has_value());
    QCOMPARE(s.stopReq, 0);
    for (int i = 0; i < MonitorState::kChannelCount; ++i) {
        QCOMPARE(s.rssi.at(static_cast<std::size_t>(i)), qint16(-140));
        QCOMPARE(s.rssiMax.at(static_cast<std::size_t>(i)), qint16(-140));
    }
    QCOMPARE(c.picture2->palette().color(QPalette::Window), QColor(128, 128, 128));
}

void TestMainWindow::swatchColours_data()
{
    QTest::addColumn<int>("swatch");
    QTest::addColumn<int>("colorNo");
    QTest::addColumn<QColor>("colour");
    const QPalette desktop = QGuiApplication::palette();
    QTest::newRow("background") << 1 << 1 << desktop.color(QPalette::Active, QPalette::Base);
    QTest::newRow("level lines") << 2 << 3 << QColor(128, 128, 128);
    QTest::newRow("RSSI") << 3 << 12 << QColor(0, 255, 0);
    QTest::newRow("Max") << 4 << 5 << QColor(255, 0, 0);
    QTest::newRow("cursor") << 5 << 15 << QColor(0, 0, 255);
}

void TestMainWindow::swatchColours()
{
    QFETCH(int, swatch);
    QFETCH(int, colorNo);
    QFETCH(QColor, colour);
    const auto k = static_cast<std::size_t>(swatch);
    QCOMPARE(m_window->state().colorNo.at(k), colorNo);
    QCOMPARE(m_window->controls().colorSet.at(k)->color(), colour);
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

void TestMainWindow::controlsBehaveAsTheirKind()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    const FormControls &c = m_window->controls();
    QTest::mouseClick(c.check2, Qt::LeftButton);
    QVERIFY(c.check2->isChecked());
    QTest::mouseClick(c.check1.at(1), Qt::LeftButton);
    QVERIFY(c.check1.at(1)->isChecked());
    c.comPort->setFocus();
    QTest::keyClicks(c.comPort, QStringLiteral("COM4"));
    QCOMPARE(c.comPort->text(), QStringLiteral("COM4"));
    c.aveN->selectAll();
    QTest::keyClicks(c.aveN, QStringLiteral("16"));
    QCOMPARE(c.aveN->text(), QStringLiteral("16"));
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
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
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

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
