#include "chart/chartframe.h"
#include "chart/colorswatch.h"
#include "chart/palette.h"

#include <QCheckBox>
#include <QLabel>
#include <QtTest>

using namespace chart;

class TestChartControls : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void framePress_data();
    void framePress();
    void swatchActivation_data();
    void swatchActivation();
    void swatchCycle_data();
    void swatchCycle();
};

void TestChartControls::framePress_data()
{
    QTest::addColumn<QString>("target"); // the frame itself, or the child with this name
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<int>("presses");

    QTest::newRow("frame, left button") << QString() << Qt::LeftButton << 1;
    QTest::newRow("frame, right button") << QString() << Qt::RightButton << 1;
    QTest::newRow("frame, middle button") << QString() << Qt::MiddleButton << 1;
    QTest::newRow("axis label") << QStringLiteral("ChLabel_0") << Qt::LeftButton << 0;
    QTest::newRow("axis label, right button")
        << QStringLiteral("ChLabel_0") << Qt::RightButton << 0;
    QTest::newRow("check box beside its text") << QStringLiteral("Check2") << Qt::LeftButton << 0;
}

void TestChartControls::framePress()
{
    QFETCH(QString, target);
    QFETCH(Qt::MouseButton, button);
    QFETCH(int, presses);

    ChartFrame frame;
    frame.resize(673, 313);
    auto *label = new QLabel(QStringLiteral("7"), &frame);
    label->setObjectName(QStringLiteral("ChLabel_0"));
    label->setGeometry(58, 288, 17, 17);
    // Wide enough that its right end lies outside the part a press checks the box with.
    auto *check = new QCheckBox(QStringLiteral("x"), &frame);
    check->setObjectName(QStringLiteral("Check2"));
    check->setGeometry(300, 16, 300, 25);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QSignalSpy spy(&frame, &ChartFrame::pressed);
    QVERIFY(spy.isValid());

    if (target.isEmpty()) {
        QTest::mousePress(&frame, button, {}, QPoint(20, 200));
    } else {
        auto *child = frame.findChild<QWidget *>(target);
        QVERIFY(child != nullptr);
        QTest::mousePress(child, button, {}, QPoint(child->width() - 2, child->height() / 2));
    }

    QCOMPARE(spy.count(), presses);
    QVERIFY(!check->isChecked());
}

void TestChartControls::swatchActivation_data()
{
    QTest::addColumn<int>("key"); // 0: a mouse click instead
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<int>("clicks");

    QTest::newRow("left click") << 0 << Qt::LeftButton << 1;
    QTest::newRow("right click") << 0 << Qt::RightButton << 0;
    QTest::newRow("space") << int(Qt::Key_Space) << Qt::NoButton << 1;
    QTest::newRow("return") << int(Qt::Key_Return) << Qt::NoButton << 1;
    QTest::newRow("enter") << int(Qt::Key_Enter) << Qt::NoButton << 1;
    QTest::newRow("other key") << int(Qt::Key_A) << Qt::NoButton << 0;
}

void TestChartControls::swatchActivation()
{
    QFETCH(int, key);
    QFETCH(Qt::MouseButton, button);
    QFETCH(int, clicks);

    ColorSwatch swatch;
    swatch.show();
    QVERIFY(QTest::qWaitForWindowExposed(&swatch));
    QVERIFY(swatch.focusPolicy() & Qt::TabFocus);
    QSignalSpy spy(&swatch, &ColorSwatch::clicked);
    QVERIFY(spy.isValid());

    if (key == 0) {
        QTest::mouseClick(&swatch, button);
    } else {
        swatch.setFocus();
        QTest::keyClick(&swatch, static_cast<Qt::Key>(key));
    }

    QCOMPARE(spy.count(), clicks);
}

void TestChartControls::swatchCycle_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QColor>("colour");

    QTest::newRow("Max, one click: magenta") << 5 << 1 << QColor(255, 0, 255);
    QTest::newRow("blue wraps to the first entry") << 15 << 3 << QColor(192, 192, 192);
    QTest::newRow("sixteen clicks, back to green") << 12 << 16 << QColor(0, 255, 0);
    QTest::newRow("sixteen clicks, back to grey") << 3 << 16 << QColor(128, 128, 128);
}

void TestChartControls::swatchCycle()
{
    QFETCH(int, start);
    QFETCH(int, clicks);
    QFETCH(QColor, colour);

    const int tableMax = static_cast<int>(palette::kColorTable.size()) - 1;
    int colorNo = start;
    ColorSwatch swatch;
    swatch.setBackColor(palette::kColorTable.at(static_cast<std::size_t>(colorNo)));
    connect(&swatch, &ColorSwatch::clicked, &swatch, [&swatch, &colorNo, tableMax] {
        colorNo = nextColorNo(colorNo, tableMax);
        swatch.setBackColor(palette::kColorTable.at(static_cast<std::size_t>(colorNo)));
    });

    swatch.show();
    QVERIFY(QTest::qWaitForWindowExposed(&swatch));
    for (int i = 0; i < clicks; ++i) {
        QTest::mouseClick(&swatch, Qt::LeftButton);
    }

    QCOMPARE(swatch.color(), colour);
    QCOMPARE(swatch.accessibleDescription(), colour.name());
    QCOMPARE(swatch.grab().toImage().pixelColor(swatch.rect().center()), colour);
}

QTEST_MAIN(TestChartControls)
#include "tst_chartcontrols.moc"
