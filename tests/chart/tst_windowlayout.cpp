#include "ui/windowlayout.h"

#include <QtTest>

using namespace windowlayout;

class TestWindowLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void layout_data();
    void layout();
    void sweepMarker_data();
    void sweepMarker();
};

namespace {

constexpr double kTolerance = 0.01;

bool near(double actual, double expected)
{
    return qAbs(actual - expected) < kTolerance;
}

} // namespace

void TestWindowLayout::layout_data()
{
    QTest::addColumn<QSizeF>("outer");
    QTest::addColumn<int>("chIdx");
    QTest::addColumn<QSizeF>("frame2");
    QTest::addColumn<QSizeF>("picture1");
    QTest::addColumn<float>("chWidth");
    QTest::addColumn<double>("chLabelLeft0");
    QTest::addColumn<double>("chLabelPitch");
    QTest::addColumn<double>("labelRow");
    QTest::addColumn<double>("rssiTop0");
    QTest::addColumn<double>("rssiPitch");
    QTest::addColumn<QRectF>("marker");

    QTest::newRow("design size") << QSizeF(10695, 7290) << 0 << QSizeF(10095, 4695)
                                 << QSizeF(9015, 3495) << 224.0F << 867.0 << 896.0 << 4320.0
                                 << 853.0 << 466.0 << QRectF(885, 4230, 224, 60);
    QTest::newRow("start-up size, marker on index 5")
        << QSizeF(10695, 7260) << 5 << QSizeF(10095, 4695) << QSizeF(9015, 3495) << 224.0F << 867.0
        << 896.0 << 4320.0 << 853.0 << 466.0 << QRectF(2005, 4230, 224, 60);
    QTest::newRow("smaller than design keeps the design size")
        << QSizeF(6000, 4000) << 39 << QSizeF(10095, 4695) << QSizeF(9015, 3495) << 224.0F << 867.0
        << 896.0 << 4320.0 << 853.0 << 466.0 << QRectF(9621, 4230, 224, 60);
    // d = 4495 / 150: level labels start at 720 + 10 d - 100 and step 20 d.
    QTest::newRow("8290 high") << QSizeF(10695, 8290) << 0 << QSizeF(10095, 5695)
                               << QSizeF(9015, 4495) << 224.0F << 867.0 << 896.0 << 5320.0
                               << 919.6667 << 599.3333 << QRectF(885, 5230, 224, 60);
    QTest::newRow("12695 wide") << QSizeF(12695, 7290) << 1 << QSizeF(12095, 4695)
                                << QSizeF(11015, 3495) << 274.0F << 892.0 << 1096.0 << 4320.0
                                << 853.0 << 466.0 << QRectF(1159, 4230, 274, 60);
    QTest::newRow("wider and taller")
        << QSizeF(12695, 8290) << 0 << QSizeF(12095, 5695) << QSizeF(11015, 4495) << 274.0F << 892.0
        << 1096.0 << 5320.0 << 919.6667 << 599.3333 << QRectF(885, 5230, 274, 60);
}

void TestWindowLayout::layout()
{
    QFETCH(QSizeF, outer);
    QFETCH(int, chIdx);
    QFETCH(QSizeF, frame2);
    QFETCH(QSizeF, picture1);
    QFETCH(float, chWidth);
    QFETCH(double, chLabelLeft0);
    QFETCH(double, chLabelPitch);
    QFETCH(double, labelRow);
    QFETCH(double, rssiTop0);
    QFETCH(double, rssiPitch);
    QFETCH(QRectF, marker);

    Input input;
    input.outerSize = outer;
    input.chIdx = chIdx;
    const Layout result = compute(input);

    QCOMPARE(result.frame2Size, frame2);
    QCOMPARE(result.picture1Size, picture1);
    QCOMPARE(result.scale.chWidth, chWidth);
    QVERIFY(near(result.scale.dbHeight, picture1.height() / 150));
    for (int i = 0; i < kChannelLabelCount; ++i) {
        const QPointF pos = result.chLabelPos[static_cast<std::size_t>(i)];
        QVERIFY2(near(pos.x(), chLabelLeft0 + chLabelPitch * i), qPrintable(QString::number(i)));
        QCOMPARE(pos.y(), labelRow);
    }
    for (int i = 0; i < kLevelLabelCount; ++i) {
        QVERIFY2(near(result.rssiLabelTop[static_cast<std::size_t>(i)], rssiTop0 + rssiPitch * i),
                 qPrintable(QString::number(i)));
    }
    QCOMPARE(result.picture2, marker);
}

void TestWindowLayout::sweepMarker_data()
{
    QTest::addColumn<int>("chIdx");
    QTest::addColumn<float>("chWidth");
    QTest::addColumn<float>("left");

    QTest::newRow("first column") << 0 << 224.0F << 885.0F;
    QTest::newRow("last column") << 39 << 224.0F << 9621.0F;
    QTest::newRow("wide chart") << 10 << 274.0F << 3625.0F;
}

void TestWindowLayout::sweepMarker()
{
    QFETCH(int, chIdx);
    QFETCH(float, chWidth);
    QFETCH(float, left);

    QCOMPARE(sweepMarkerLeft(chIdx, chWidth, kPicture1Pos.x()), left);
}

QTEST_APPLESS_MAIN(TestWindowLayout)
#include "tst_windowlayout.moc"
