#include "chart/chartscale.h"
#include "chart/cursorreadout.h"
#include "protocol/monitorstate.h"
#include "ui/windowlayout.h"

#include <QtTest>

using namespace chart;

namespace {

bool isNear(double actual, double expected)
{
    constexpr double tolerance = 0.01;
    return qAbs(actual - expected) < tolerance;
}

} // namespace

class TestChartUnit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void scale_data();
    void scale();
    void pressToChannel_data();
    void pressToChannel();
    void readout_data();
    void readout();
    void layout_data();
    void layout();
};

void TestChartUnit::scale_data()
{
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("height");
    QTest::addColumn<float>("chWidth");
    QTest::addColumn<float>("dbHeight");

    QTest::newRow("design size drops the fraction") << 9015.0F << 3495.0F << 224.0F << 23.3F;
    QTest::newRow("9000 wide") << 9000.0F << 4500.0F << 224.0F << 30.0F;
    QTest::newRow("9070 wide is whole") << 9070.0F << 3495.0F << 226.0F << 23.3F;
    QTest::newRow("12695 window") << 11015.0F << 4495.0F << 274.0F << 4495.0F / 150.0F;
}

void TestChartUnit::scale()
{
    QFETCH(float, width);
    QFETCH(float, height);
    QFETCH(float, chWidth);
    QFETCH(float, dbHeight);

    const ChartScale result = ComputeChartScale(width, height);
    QCOMPARE(result.chWidth, chWidth);
    QCOMPARE(result.dbHeight, dbHeight);
}

void TestChartUnit::pressToChannel_data()
{
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("chWidth");
    QTest::addColumn<int>("channel");

    QTest::newRow("just inside column 0") << 223.9F << 224.0F << 0;
    QTest::newRow("first twip of column 1") << 224.0F << 224.0F << 1;
    QTest::newRow("inside the last column") << 8900.0F << 224.0F << 39;
    QTest::newRow("where column 40 would begin") << 8960.0F << 224.0F << 39;
    QTest::newRow("wide chart, column edge") << 274.0F << 274.0F << 1;
    QTest::newRow("no columns at all") << 100.0F << 0.0F << 0;
}

void TestChartUnit::pressToChannel()
{
    QFETCH(float, x);
    QFETCH(float, chWidth);
    QFETCH(int, channel);

    QCOMPARE(xToChannel(x, chWidth), channel);
}

void TestChartUnit::readout_data()
{
    QTest::addColumn<int>("cursor"); // -1: off
    QTest::addColumn<int>("rssi");
    QTest::addColumn<int>("rssiMax");
    QTest::addColumn<QString>("text");

    QTest::newRow("cursor off") << -1 << -95 << -80 << QString();
    QTest::newRow("index 0") << 0 << -140 << -140
                             << QStringLiteral("CH=07: 429.2500[MHz] / RSSI=-140, Max=-140[dBm]");
    QTest::newRow("index 5") << 5 << -95 << -80
                             << QStringLiteral("CH=12: 429.3125[MHz] / RSSI=-95, Max=-80[dBm]");
    QTest::newRow("index 39") << 39 << 3 << 12
                              << QStringLiteral("CH=46: 429.7375[MHz] / RSSI=3, Max=12[dBm]");
}

void TestChartUnit::readout()
{
    QFETCH(int, cursor);
    QFETCH(int, rssi);
    QFETCH(int, rssiMax);
    QFETCH(QString, text);

    MonitorState state;
    state.chStart = 7;
    state.chMax = kLastChannelIndex;
    state.rssi.fill(MonitorState::kNoReading);
    state.rssiMax.fill(MonitorState::kNoReading);
    if (cursor >= 0) {
        state.cursorCh = cursor;
        state.rssi[static_cast<std::size_t>(cursor)] = static_cast<qint16>(rssi);
        state.rssiMax[static_cast<std::size_t>(cursor)] = static_cast<qint16>(rssiMax);
    }

    QCOMPARE(cursorReadout(state), text);
}

void TestChartUnit::layout_data()
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

void TestChartUnit::layout()
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

    windowlayout::Input input;
    input.outerSize = outer;
    input.chIdx = chIdx;
    const windowlayout::Layout result = windowlayout::compute(input);

    QCOMPARE(result.frame2Size, frame2);
    QCOMPARE(result.picture1Size, picture1);
    QCOMPARE(result.scale.chWidth, chWidth);
    QVERIFY(isNear(result.scale.dbHeight, picture1.height() / 150));
    for (int i = 0; i < windowlayout::kChannelLabelCount; ++i) {
        const QPointF pos = result.chLabelPos[static_cast<std::size_t>(i)];
        QVERIFY2(isNear(pos.x(), chLabelLeft0 + chLabelPitch * i), qPrintable(QString::number(i)));
        QCOMPARE(pos.y(), labelRow);
    }
    for (int i = 0; i < windowlayout::kLevelLabelCount; ++i) {
        QVERIFY2(isNear(result.rssiLabelTop[static_cast<std::size_t>(i)], rssiTop0 + rssiPitch * i),
                 qPrintable(QString::number(i)));
    }
    QCOMPARE(result.picture2, marker);
}

QTEST_APPLESS_MAIN(TestChartUnit)
#include "tst_chartunit.moc"
