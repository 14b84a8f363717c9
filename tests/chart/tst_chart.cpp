#include "engine/protocol/monitorstate.h"
#include "painters/cursorreadout.h"
#include "windows/main/chartframe.h"
#include "windows/main/chartview.h"
#include "windows/main/windowlayout.h"

#include <QCheckBox>
#include <QLabel>
#include <QtTest>

#include <algorithm>
#include <array>

using namespace chart;

namespace {

const QColor kLevelLine(128, 128, 128);
const QColor kRssi(0, 255, 0);
const QColor kMax(255, 0, 0);
const QColor kCursor(0, 0, 255);
const QSizeF kDesignSize(9015, 3495);
constexpr double kTwipsPerPixel = 15.0;
constexpr double kDesignW = 224.0;

// The start-up state with (index, rssi, maximum) readings; every other channel has none.
MonitorState withReadings(std::initializer_list<std::array<int, 3>> readings,
                          std::optional<int> cursor = {})
{
    MonitorState state;
    for (const auto &[index, rssi, max] : readings) {
        state.latest.at(static_cast<std::size_t>(index)) = static_cast<qint16>(rssi);
        state.highest.at(static_cast<std::size_t>(index)) = static_cast<qint16>(max);
    }
    state.cursorIndex = cursor;
    return state;
}

// Picture1 in a window `outer` twips high.
QImage grabChart(const MonitorState &state, const QSizeF &size = kDesignSize, int outer = 7260)
{
    ChartView view([&] {
        return ChartContent{{Qt::white, kLevelLine, kRssi, kMax, kCursor}, outer, state};
    });
    view.setSizeTwips(size);
    return view.grab().toImage();
}

using Px = QList<double>; // pixel positions

// Pixel row of a level's top edge in a chart `height` twips high.
double levelRow(int level, double height = kDesignSize.height())
{
    return (height - (level + 140) * height / 150) / kTwipsPerPixel;
}

// A probe down the pixel column a quarter into a bar: clear of the grid and cursor lines.
QPoint downBar(int index, double channelWidth = kDesignW)
{
    return {static_cast<int>((15 + (index + 0.2) * channelWidth) / kTwipsPerPixel), -1};
}

Px steps(double first, double step, int count)
{
    Px values;
    for (int k = 0; k < count; ++k) {
        values << first + step * k;
    }
    return values;
}

} // namespace

class TestChart : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void layout_data()
    {
        QTest::addColumn<QSizeF>("outer");
        QTest::addColumn<int>("channelIndex");
        QTest::addColumn<QSizeF>("frame2");
        QTest::addColumn<QSizeF>("picture1");
        QTest::addColumn<QPointF>("chLabel0"); // the first axis caption's left and top
        QTest::addColumn<double>("chLabelPitch");
        QTest::addColumn<QPointF>("rssiTop"); // the first level caption's top, and the step down
        QTest::addColumn<QRectF>("marker");

        QTest::newRow("start-up size, marker on index 5")
            << QSizeF(10695, 7260) << 5 << QSizeF(10095, 4695) << QSizeF(9015, 3495)
            << QPointF(867, 4320) << 896.0 << QPointF(853, 466) << QRectF(2005, 4230, 224, 60);
        QTest::newRow("smaller than design keeps the design size")
            << QSizeF(6000, 4000) << 39 << QSizeF(10095, 4695) << QSizeF(9015, 3495)
            << QPointF(867, 4320) << 896.0 << QPointF(853, 466) << QRectF(9621, 4230, 224, 60);
        // d = 4495 / 150: level captions start at 720 + 10 d - 100 and step 20 d.
        QTest::newRow("8290 high") << QSizeF(10695, 8290) << 0 << QSizeF(10095, 5695)
                                   << QSizeF(9015, 4495) << QPointF(867, 5320) << 896.0
                                   << QPointF(919.6667, 599.3333) << QRectF(885, 5230, 224, 60);
        QTest::newRow("12695 wide")
            << QSizeF(12695, 7290) << 1 << QSizeF(12095, 4695) << QSizeF(11015, 3495)
            << QPointF(892, 4320) << 1096.0 << QPointF(853, 466) << QRectF(1159, 4230, 274, 60);
    }

    void layout()
    {
        QFETCH(QSizeF, outer);
        QFETCH(int, channelIndex);
        QFETCH(QPointF, chLabel0);
        QFETCH(double, chLabelPitch);
        QFETCH(QPointF, rssiTop);
        const auto got = windowlayout::compute({outer, windowlayout::kPicture1Pos, channelIndex});

        QTEST(got.frame2Size, "frame2");
        QTEST(got.picture1Size, "picture1");
        QTEST(got.picture2, "marker");
        for (std::size_t i = 0; i < got.chLabelPos.size(); ++i) {
            QCOMPARE(got.chLabelPos.at(i), chLabel0 + QPointF(chLabelPitch * double(i), 0));
        }
        for (std::size_t i = 0; i < got.rssiLabelTop.size(); ++i) {
            // Single precision scale: equal to a few millionths.
            QCOMPARE(float(got.rssiLabelTop.at(i)), float(rssiTop.x() + rssiTop.y() * double(i)));
        }
    }

    // Where runs of a colour begin, within a pixel, down a pixel column (x, -1) or along a pixel
    // row (-1, y).
    void paint_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<QPoint>("probe");
        QTest::addColumn<Px>("starts");

        // Every channel not named here reads -140, maximum too.
        const QImage bars = grabChart(withReadings(
            {{1, 32767, 32767}, {3, -60, -60}, {5, -256, -100}, {10, -95, -80}, {39, -30, -30}}));
        const QPoint bottomRow(-1, 232);
        const auto barLeft = [](int index) { return (15 + index * kDesignW) / kTwipsPerPixel; };
        QTest::newRow("16-bit top: full") << bars << kRssi << downBar(1) << Px{0};
        // A reading equal to its maximum shows only the RSSI colour.
        QTest::newRow("equal: RSSI") << bars << kRssi << downBar(3) << Px{levelRow(-60)};
        QTest::newRow("equal: no max") << bars << kMax << downBar(3) << Px{};
        QTest::newRow("max above: RSSI") << bars << kRssi << downBar(10) << Px{levelRow(-95)};
        QTest::newRow("max above: max") << bars << kMax << downBar(10) << Px{levelRow(-80)};
        // Bars stand on the bottom edge; -140 and below draw nothing.
        QTest::newRow("bottom: RSSI")
            << bars << kRssi << bottomRow << Px{barLeft(1), barLeft(3), barLeft(10), barLeft(39)};
        QTest::newRow("bottom: max") << bars << kMax << bottomRow << Px{barLeft(5)};

        // Grid lines along row 3, above the 0 dBm line and clear of the bar that reaches the top;
        // level lines down the middle of index 2, off the grid; the cursor line along row 232,
        // across the bars.
        const auto lineX = [](int index) { return (index + 0.45) * kDesignW / kTwipsPerPixel; };
        const double pitch = lineX(4) - lineX(0); // a grid line every fourth column
        QTest::newRow("grid") << bars << kLevelLine << QPoint(-1, 3) << steps(lineX(0), pitch, 10);
        QTest::newRow("9900 high: 7 level lines")
            << grabChart(withReadings({}), kDesignSize, 9900) << kLevelLine << QPoint(37, -1)
            << steps(levelRow(0), levelRow(-20) - levelRow(0), 7);
        QTest::newRow("9915 high: 14 level lines")
            << grabChart(withReadings({}), kDesignSize, 9915) << kLevelLine << QPoint(37, -1)
            << steps(levelRow(0), levelRow(-10) - levelRow(0), 14);
        QTest::newRow("cursor off") << bars << kCursor << bottomRow << Px{};
        QTest::newRow("cursor on index 0")
            << grabChart(withReadings({{0, -20, -20}}, 0)) << kCursor << bottomRow << Px{lineX(0)};
        QTest::newRow("cursor on index 39") << grabChart(withReadings({{39, -20, -20}}, 39))
                                            << kCursor << bottomRow << Px{lineX(39)};
    }

    void paint()
    {
        QFETCH(QImage, image);
        QFETCH(QColor, colour);
        QFETCH(QPoint, probe);
        QFETCH(Px, starts);
        const bool alongRow = probe.x() < 0;
        QList<int> found;
        bool inside = false;
        for (int i = 0; i < (alongRow ? image.width() : image.height()); ++i) {
            const QColor pixel =
                image.pixelColor(alongRow ? QPoint(i, probe.y()) : QPoint(probe.x(), i));
            if (pixel == colour && !inside) {
                found.append(i);
            }
            inside = pixel == colour;
        }
        QVERIFY2(found.size() == starts.size(), qPrintable(QDebug::toString(found)));
        for (qsizetype i = 0; i < found.size(); ++i) {
            QVERIFY2(qAbs(found.at(i) - starts.at(i)) <= 1.0, qPrintable(QDebug::toString(found)));
        }
    }

    // A press picks the column under it, and the read-out follows.
    void pressShowsChannel_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<int>("pixelX");
        QTest::addColumn<QString>("readout");
        QTest::newRow("last pixel of column 0, right button")
            << Qt::RightButton << 14 << "CH=07: 429.2500[MHz] / RSSI=-140, Max=-140[dBm]";
        QTest::newRow("first twip of column 1, middle button")
            << Qt::MiddleButton << 15 << "CH=08: 429.2625[MHz] / RSSI=-140, Max=-140[dBm]";
        QTest::newRow("inside column 5")
            << Qt::LeftButton << 80 << "CH=12: 429.3125[MHz] / RSSI=-95, Max=-80[dBm]";
        QTest::newRow("where column 40 would begin")
            << Qt::LeftButton << 600 << "CH=46: 429.7375[MHz] / RSSI=3, Max=12[dBm]";
    }

    void pressShowsChannel()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(int, pixelX);
        MonitorState state = withReadings({{5, -95, -80}, {39, 3, 12}});
        ChartView view([&state] { return ChartContent{{}, 0, state}; });
        view.setSizeTwips({9030, kDesignSize.height()}); // 225 twips a column: edges between pixels
        QSignalSpy spy(&view, &ChartView::pressed);
        QVERIFY(cursorReadout(state).isEmpty());

        QTest::mousePress(&view, button, {}, QPoint(pixelX, 10));
        QCOMPARE(spy.count(), 1);
        const QPointF pos = spy.at(0).at(0).toPointF();
        QCOMPARE(pos, QPointF(pixelX * kTwipsPerPixel, 10 * kTwipsPerPixel));
        state.cursorIndex = xToChannel(static_cast<float>(pos.x()), view.scale().channelWidth);
        QTEST(cursorReadout(state), "readout");
    }

    void framePress_data()
    {
        QTest::addColumn<int>("target"); // the frame, its axis label or its check box
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::newRow("frame, right button") << 0 << Qt::RightButton;
        QTest::newRow("axis label") << 1 << Qt::LeftButton;
        QTest::newRow("check box beside its text") << 2 << Qt::LeftButton;
    }

    void framePress()
    {
        QFETCH(int, target);
        QFETCH(Qt::MouseButton, button);
        ChartFrame frame;
        frame.resize(673, 313);
        const std::array<QWidget *, 3> targets{&frame, new QLabel(QStringLiteral("7"), &frame),
                                               new QCheckBox(QStringLiteral("x"), &frame)};
        targets[1]->setGeometry(58, 288, 17, 17);
        // Wide enough that its right end lies outside the part a press checks the box with.
        targets[2]->setGeometry(300, 16, 300, 25);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QSignalSpy spy(&frame, &ChartFrame::pressed);

        QWidget *pressed = targets.at(static_cast<std::size_t>(target));
        QTest::mousePress(pressed, button, {}, QPoint(pressed->width() - 2, pressed->height() / 2));
        QCOMPARE(spy.count(), target == 0 ? 1 : 0); // only the frame's own presses count
    }
};

QTEST_MAIN(TestChart)
#include "tst_chart.moc"
