#include "chart/chartframe.h"
#include "chart/chartscale.h"
#include "chart/chartview.h"
#include "chart/colorswatch.h"
#include "chart/palette.h"
#include "protocol/monitorstate.h"

#include <QCheckBox>
#include <QLabel>
#include <QtTest>

#include <cmath>

using namespace chart;

namespace {

const QColor kBackground(255, 255, 255);
const QColor kLevelLine(128, 128, 128);
const QColor kRssi(0, 255, 0);
const QColor kMax(255, 0, 0);
const QColor kCursor(0, 0, 255);
const QSizeF kDesignSize(9015, 3495);
const QStringList kStartCaptions{"7", "11", "15", "19", "23", "27", "31", "35", "39", "43"};
constexpr double kTwipsPerPixel = 15.0;
constexpr double kDesignW = 224.0;
constexpr int kTopRow = 3; // above the 0 dBm line: only vertical lines cross it

// Where runs of `colour` begin along row `fixed`, or down column `fixed`.
QList<int> runs(const QImage &image, const QColor &colour, bool alongRow, int fixed)
{
    QList<int> starts;
    bool inside = false;
    for (int i = 0; i < (alongRow ? image.width() : image.height()); ++i) {
        const QColor pixel = alongRow ? image.pixelColor(i, fixed) : image.pixelColor(fixed, i);
        if (pixel == colour && !inside) {
            starts.append(i);
        }
        inside = pixel == colour;
    }
    return starts;
}

// Empty when every run begins within a pixel of where it should.
QString mismatch(const QList<int> &actual, const QList<double> &expected)
{
    bool same = actual.size() == expected.size();
    for (int i = 0; same && i < actual.size(); ++i) {
        same = qAbs(actual.at(i) - expected.at(i)) <= 1.0;
    }
    QString text;
    QDebug(&text) << actual << "vs" << expected;
    return same ? QString() : text;
}

// Pixel of the grid or cursor line of each channel index at the design size.
QList<double> columnLines(const QList<int> &indexes)
{
    QList<double> xs;
    for (int index : indexes) {
        xs << (index + 0.45) * kDesignW / kTwipsPerPixel;
    }
    return xs;
}

QList<double> levelLines(int count, int stepDb)
{
    QList<double> ys;
    const double height = kDesignSize.height();
    for (int k = 0; k < count; ++k) {
        ys << (height - (140 - stepDb * k) * height / 150) / kTwipsPerPixel;
    }
    return ys;
}

} // namespace

class TestChartWidgets : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void bars_data();
    void bars();
    void lines_data();
    void lines();
    void blankUntilRefresh();
    void pressPicksColumn_data();
    void pressPicksColumn();
    void framePress_data();
    void framePress();
    void swatchActivation_data();
    void swatchActivation();
    void swatchCycle_data();
    void swatchCycle();

private:
    [[nodiscard]] ChartControlsSource source() const;

    MonitorState m_state;
    int m_outerHeight = 7260;
    QStringList m_captions = kStartCaptions;
};

ChartControlsSource TestChartWidgets::source() const
{
    return [this] {
        ChartControls controls{{kBackground, kLevelLine, kRssi, kMax, kCursor}, m_outerHeight, {}};
        for (std::size_t i = 0; i < controls.channelCaptions.size(); ++i) {
            controls.channelCaptions.at(i) = m_captions.at(static_cast<int>(i));
        }
        return controls;
    };
}

void TestChartWidgets::init()
{
    m_state = MonitorState();
    m_state.chStart = 7;
    m_state.chMax = kLastChannelIndex;
    m_state.rssi.fill(MonitorState::kNoReading);
    m_state.rssiMax.fill(MonitorState::kNoReading);
    m_outerHeight = 7260;
    m_captions = kStartCaptions;
}

void TestChartWidgets::bars_data()
{
    QTest::addColumn<QSizeF>("size");
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("rssi");
    QTest::addColumn<int>("rssiMax");

    QTest::newRow("reading equals its maximum, on a level line") << kDesignSize << 3 << -60 << -60;
    QTest::newRow("maximum above the reading") << kDesignSize << 10 << -95 << -80;
    QTest::newRow("no reading yet") << kDesignSize << 20 << -140 << -140;
    QTest::newRow("below the scale") << kDesignSize << 5 << -256 << -100;
    QTest::newRow("top of the 16-bit range") << kDesignSize << 0 << 32767 << 32767;
    QTest::newRow("grown chart") << QSizeF(11015, 4495) << 39 << -30 << -10;
}

void TestChartWidgets::bars()
{
    QFETCH(QSizeF, size);
    QFETCH(int, channel);
    QFETCH(int, rssi);
    QFETCH(int, rssiMax);

    m_state.rssi.at(static_cast<std::size_t>(channel)) = static_cast<qint16>(rssi);
    m_state.rssiMax.at(static_cast<std::size_t>(channel)) = static_cast<qint16>(rssiMax);
    ChartView view(m_state, source());
    view.setSizeTwips(size);
    const QImage image = view.grab().toImage();

    const double w = std::floor((size.width() - 30) / 40);
    const double h = size.height();
    const auto top = [h](int level) {
        return level <= -140 ? QList<double>()
                             : QList<double>{std::max(0.0, (h - (level + 140) * h / 150) / 15)};
    };
    // A quarter into the bar: clear of the grid and cursor lines.
    const int column = static_cast<int>((15 + channel * w + 0.2 * w) / kTwipsPerPixel);
    const QList<int> rssiTop = runs(image, kRssi, false, column);
    const QString rssiMismatch = mismatch(rssiTop, top(rssi));
    QVERIFY2(rssiMismatch.isEmpty(), qPrintable(rssiMismatch));
    const QString maxMismatch =
        mismatch(runs(image, kMax, false, column), rssiMax > rssi ? top(rssiMax) : QList<double>());
    QVERIFY2(maxMismatch.isEmpty(), qPrintable(maxMismatch));

    // Bars stand on the bottom edge; a bar top on a level line covers the line.
    const QColor bottom = image.pixelColor(column, image.height() - 1);
    QCOMPARE(bottom, !rssiTop.isEmpty() ? kRssi : rssiMax > -140 ? kMax : kBackground);
    if (!rssiTop.isEmpty() && rssiTop.first() > 0) {
        QVERIFY(image.pixelColor(column, rssiTop.first() - 1) != kLevelLine);
    }
}

void TestChartWidgets::lines_data()
{
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<int>("outerHeight");
    QTest::addColumn<int>("cursor"); // -1: off
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<bool>("alongRow");
    QTest::addColumn<int>("probe"); // the row or column looked along
    QTest::addColumn<QList<double>>("positions");

    const QStringList shifted{"9", "13", "17", "21", "25", "29", "33", "37", "41", "45"};
    QStringList noNumber = kStartCaptions;
    noNumber[2] = QString();
    // The middle of channel 2's column has no grid line; the bottom row lies on the bars.
    const int levelColumn = static_cast<int>(2.5 * kDesignW / kTwipsPerPixel);
    const int bottomRow = 232;

    QTest::newRow("grid, start-up captions")
        << kStartCaptions << 7260 << -1 << kLevelLine << true << kTopRow
        << columnLines({0, 4, 8, 12, 16, 20, 24, 28, 32, 36});
    QTest::newRow("grid follows the captions")
        << shifted << 7260 << -1 << kLevelLine << true << kTopRow
        << columnLines({2, 6, 10, 14, 18, 22, 26, 30, 34, 38});
    QTest::newRow("grid, a caption that names no channel")
        << noNumber << 7260 << -1 << kLevelLine << true << kTopRow
        << columnLines({0, 4, 12, 16, 20, 24, 28, 32, 36});
    QTest::newRow("window 9900 high: seven level lines")
        << kStartCaptions << 9900 << -1 << kLevelLine << false << levelColumn << levelLines(7, 20);
    QTest::newRow("window 9915 high: fourteen level lines")
        << kStartCaptions << 9915 << -1 << kLevelLine << false << levelColumn << levelLines(14, 10);
    QTest::newRow("cursor off") << kStartCaptions << 7260 << -1 << kCursor << true << bottomRow
                                << QList<double>();
    QTest::newRow("cursor on index 0, over its bar")
        << kStartCaptions << 7260 << 0 << kCursor << true << bottomRow << columnLines({0});
    QTest::newRow("cursor on index 39, over its bar")
        << kStartCaptions << 7260 << 39 << kCursor << true << bottomRow << columnLines({39});
}

void TestChartWidgets::lines()
{
    QFETCH(QStringList, captions);
    QFETCH(int, outerHeight);
    QFETCH(int, cursor);
    QFETCH(QColor, colour);
    QFETCH(bool, alongRow);
    QFETCH(int, probe);
    QFETCH(QList<double>, positions);

    m_captions = captions;
    m_outerHeight = outerHeight;
    if (cursor >= 0) {
        m_state.cursorCh = cursor;
        m_state.rssi.at(static_cast<std::size_t>(cursor)) = -20;
    }
    ChartView view(m_state, source());
    const QString wrong = mismatch(runs(view.grab().toImage(), colour, alongRow, probe), positions);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
}

void TestChartWidgets::blankUntilRefresh()
{
    m_state.rssi.fill(-50);
    m_state.cursorCh = 3;
    ChartView view(m_state, source());
    const QColor blank(255, 0, 255);

    view.blankWith(blank);
    QImage expected(view.size(), QImage::Format_RGB32);
    expected.fill(blank);
    QCOMPARE(view.grab().toImage().convertToFormat(QImage::Format_RGB32), expected);

    view.refresh();
    const QImage image = view.grab().toImage();
    QCOMPARE(image.pixelColor(image.width() / 3, image.height() - 1), kRssi);
}

void TestChartWidgets::pressPicksColumn_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<int>("pixelX");
    QTest::addColumn<int>("channel");

    // Column 1 begins at 224 twips, between pixels 14 and 15.
    QTest::newRow("last pixel of column 0, right button") << Qt::RightButton << 14 << 0;
    QTest::newRow("first pixel of column 1, middle button") << Qt::MiddleButton << 15 << 1;
    QTest::newRow("past the last column, left button") << Qt::LeftButton << 600 << 39;
}

void TestChartWidgets::pressPicksColumn()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(int, pixelX);
    QFETCH(int, channel);

    ChartView view(m_state, source());
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QSignalSpy spy(&view, &ChartView::pressed);
    QVERIFY(spy.isValid());

    QTest::mousePress(&view, button, {}, QPoint(pixelX, 10));

    QCOMPARE(spy.count(), 1);
    const QPointF pos = spy.at(0).at(0).toPointF();
    QCOMPARE(pos, QPointF(pixelX * kTwipsPerPixel, 10 * kTwipsPerPixel));
    QCOMPARE(xToChannel(static_cast<float>(pos.x()), view.scale().chWidth), channel);
}

void TestChartWidgets::framePress_data()
{
    QTest::addColumn<QString>("target"); // the frame itself, or the child with this name
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<int>("presses");

    QTest::newRow("frame, left button") << QString() << Qt::LeftButton << 1;
    QTest::newRow("frame, right button") << QString() << Qt::RightButton << 1;
    QTest::newRow("axis label, right button")
        << QStringLiteral("ChLabel_0") << Qt::RightButton << 0;
    QTest::newRow("check box beside its text") << QStringLiteral("Check2") << Qt::LeftButton << 0;
}

void TestChartWidgets::framePress()
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
}

void TestChartWidgets::swatchActivation_data()
{
    QTest::addColumn<int>("key"); // 0: a mouse click instead
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<int>("clicks");

    QTest::newRow("left click") << 0 << Qt::LeftButton << 1;
    QTest::newRow("right click") << 0 << Qt::RightButton << 0;
    QTest::newRow("space") << int(Qt::Key_Space) << Qt::NoButton << 1;
    QTest::newRow("enter") << int(Qt::Key_Enter) << Qt::NoButton << 1;
}

void TestChartWidgets::swatchActivation()
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

void TestChartWidgets::swatchCycle_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QColor>("colour");

    QTest::newRow("Max, one click: magenta") << 5 << 1 << QColor(255, 0, 255);
    QTest::newRow("blue wraps to the first entry") << 15 << 3 << QColor(192, 192, 192);
    QTest::newRow("sixteen clicks, back to green") << 12 << 16 << QColor(0, 255, 0);
    QTest::newRow("sixteen clicks, back to grey") << 3 << 16 << QColor(128, 128, 128);
}

void TestChartWidgets::swatchCycle()
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

QTEST_MAIN(TestChartWidgets)
#include "tst_chartwidgets.moc"
