#include "chart/chartscale.h"
#include "chart/cursorreadout.h"
#include "protocol/monitorstate.h"

#include <QtTest>

using namespace chart;

class TestChartScale : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void scale_data();
    void scale();
    void chartCoordinates_data();
    void chartCoordinates();
    void pressToChannel_data();
    void pressToChannel();
    void readout_data();
    void readout();
};

void TestChartScale::scale_data()
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

void TestChartScale::scale()
{
    QFETCH(float, width);
    QFETCH(float, height);
    QFETCH(float, chWidth);
    QFETCH(float, dbHeight);

    const ChartScale result = ComputeChartScale(width, height);
    QCOMPARE(result.chWidth, chWidth);
    QCOMPARE(result.dbHeight, dbHeight);
}

void TestChartScale::chartCoordinates_data()
{
    QTest::addColumn<float>("actual");
    QTest::addColumn<double>("expected");

    // Worked geometry at the design size: w = 224, d = 23.3, H = 3495.
    const ChartScale design = ComputeChartScale(kDesignChartWidth, kDesignChartHeight);
    const float w = design.chWidth;
    const float d = design.dbHeight;
    const float h = kDesignChartHeight;
    QTest::newRow("-60 dBm bar top") << levelToY(-60, h, d) << 1631.0;
    QTest::newRow("0 dBm line") << levelToY(0, h, d) << 233.0;
    QTest::newRow("-140 on the bottom edge") << levelToY(-140, h, d) << 3495.0;
    QTest::newRow("+10 on the top edge") << levelToY(10, h, d) << 0.0;
    QTest::newRow("grid of index 4") << channelToX(4, w) << 996.8;
    QTest::newRow("cursor on index 39") << channelToX(39, w) << 8836.8;
    QTest::newRow("bar 0 left") << barLeft(0, w) << 15.0;
    QTest::newRow("bar 0 right") << barRight(0, w) << 194.2;
    QTest::newRow("bar 39 right") << barRight(39, w) << 8930.2;
}

void TestChartScale::chartCoordinates()
{
    QFETCH(float, actual);
    QFETCH(double, expected);

    constexpr double tolerance = 0.05;
    QVERIFY2(qAbs(actual - expected) < tolerance,
             qPrintable(QStringLiteral("%1 vs %2").arg(actual).arg(expected)));
}

void TestChartScale::pressToChannel_data()
{
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("chWidth");
    QTest::addColumn<int>("channel");

    QTest::newRow("left edge") << 0.0F << 224.0F << 0;
    QTest::newRow("just inside column 0") << 223.9F << 224.0F << 0;
    QTest::newRow("first twip of column 1") << 224.0F << 224.0F << 1;
    QTest::newRow("inside the last column") << 8900.0F << 224.0F << 39;
    QTest::newRow("where column 40 would begin") << 8960.0F << 224.0F << 39;
    QTest::newRow("far right") << 9014.0F << 224.0F << 39;
    QTest::newRow("wide chart, column edge") << 274.0F << 274.0F << 1;
    QTest::newRow("no columns at all") << 100.0F << 0.0F << 0;
}

void TestChartScale::pressToChannel()
{
    QFETCH(float, x);
    QFETCH(float, chWidth);
    QFETCH(int, channel);

    QCOMPARE(xToChannel(x, chWidth), channel);
}

void TestChartScale::readout_data()
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
    QTest::newRow("index out of range") << 40 << -95 << -80 << QString();
}

void TestChartScale::readout()
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
    }
    if (cursor >= 0 && cursor < MonitorState::kChannelCount) {
        state.rssi[static_cast<std::size_t>(cursor)] = static_cast<qint16>(rssi);
        state.rssiMax[static_cast<std::size_t>(cursor)] = static_cast<qint16>(rssiMax);
    }

    QCOMPARE(cursorReadout(state), text);
}

QTEST_APPLESS_MAIN(TestChartScale)
#include "tst_chartscale.moc"
