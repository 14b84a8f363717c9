#include "chart/chartscale.h"
#include "chart/chartview.h"
#include "protocol/monitorstate.h"

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
constexpr double kTwipsPerPixel = 15.0;
constexpr int kTopRow = 3; // above the 0 dBm line: only background and vertical lines
constexpr int kNone = -1;

QList<int> runStarts(const QImage &image, QColor colour, bool alongRow, int fixed)
{
    QList<int> starts;
    const int length = alongRow ? image.width() : image.height();
    bool inside = false;
    for (int i = 0; i < length; ++i) {
        const QColor pixel = alongRow ? image.pixelColor(i, fixed) : image.pixelColor(fixed, i);
        const bool match = pixel == colour;
        if (match && !inside) {
            starts.append(i);
        }
        inside = match;
    }
    return starts;
}

int countInColumn(const QImage &image, int column, QColor colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        count += image.pixelColor(column, y) == colour ? 1 : 0;
    }
    return count;
}

int firstInColumn(const QImage &image, int column, QColor colour)
{
    const QList<int> starts = runStarts(image, colour, false, column);
    return starts.isEmpty() ? kNone : starts.first();
}

bool within(QList<int> actual, QList<double> expected)
{
    if (actual.size() != expected.size()) {
        return false;
    }
    for (int i = 0; i < actual.size(); ++i) {
        if (qAbs(actual[i] - expected[i]) > 1.0) {
            return false;
        }
    }
    return true;
}

QByteArray describe(const QList<int> &actual, const QList<double> &expected)
{
    QStringList a;
    QStringList e;
    for (int v : actual) {
        a << QString::number(v);
    }
    for (double v : expected) {
        e << QString::number(v, 'f', 1);
    }
    return (a.join(',') + QStringLiteral(" vs ") + e.join(',')).toUtf8();
}

} // namespace

class TestChartView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void bars_data();
    void bars();
    void channelGrid_data();
    void channelGrid();
    void levelLines_data();
    void levelLines();
    void cursorLine_data();
    void cursorLine();
    void blankUntilRefresh();
    void pressPicksColumn_data();
    void pressPicksColumn();

private:
    [[nodiscard]] ChartControls controls() const;

    MonitorState m_state;
    int m_outerHeight = 7260;
    std::array<QString, kChannelLabelCount> m_captions;
};

ChartControls TestChartView::controls() const
{
    ChartControls result;
    result.colours = {kBackground, kLevelLine, kRssi, kMax, kCursor};
    result.outerHeight = m_outerHeight;
    result.channelCaptions = m_captions;
    return result;
}

void TestChartView::init()
{
    m_state = MonitorState();
    m_state.chStart = 7;
    m_state.chMax = kLastChannelIndex;
    m_state.rssi.fill(MonitorState::kNoReading);
    m_state.rssiMax.fill(MonitorState::kNoReading);
    m_outerHeight = 7260;
    for (int i = 0; i < kChannelLabelCount; ++i) {
        m_captions[static_cast<std::size_t>(i)] = QString::number(7 + 4 * i);
    }
}

void TestChartView::bars_data()
{
    QTest::addColumn<QSizeF>("size");
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("rssi");
    QTest::addColumn<int>("rssiMax");

    QTest::newRow("reading equals its maximum") << kDesignSize << 3 << -60 << -60;
    QTest::newRow("maximum above the reading") << kDesignSize << 10 << -95 << -80;
    QTest::newRow("no reading yet") << kDesignSize << 20 << -140 << -140;
    QTest::newRow("maximum kept, reading gone") << kDesignSize << 21 << -140 << -50;
    QTest::newRow("below the scale") << kDesignSize << 5 << -256 << -100;
    QTest::newRow("above the top edge") << kDesignSize << 39 << 20 << 20;
    QTest::newRow("top of the 16-bit range") << kDesignSize << 0 << 32767 << 32767;
    QTest::newRow("grown chart") << QSizeF(11015, 4495) << 39 << -30 << -10;
}

void TestChartView::bars()
{
    QFETCH(QSizeF, size);
    QFETCH(int, channel);
    QFETCH(int, rssi);
    QFETCH(int, rssiMax);

    const auto at = static_cast<std::size_t>(channel);
    m_state.rssi[at] = static_cast<qint16>(rssi);
    m_state.rssiMax[at] = static_cast<qint16>(rssiMax);
    ChartView view(m_state, [this] { return controls(); });
    view.setSizeTwips(size);
    const QImage image = view.grab().toImage();

    const double w = std::floor((size.width() - 30) / 40);
    const double h = size.height();
    // Top pixel row of a bar, or none for a level at or below the bottom edge.
    const auto topRow = [h](int level) {
        return level <= -140 ? double(kNone) : std::max(0.0, (h - (level + 140) * h / 150) / 15);
    };
    // A quarter into the bar: clear of the grid line and the cursor at the column middle.
    const int column = static_cast<int>((15 + channel * w + 0.2 * w) / kTwipsPerPixel);

    const int rssiTop = firstInColumn(image, column, kRssi);
    QVERIFY2(qAbs(rssiTop - topRow(rssi)) <= 1.0, qPrintable(QString::number(rssiTop)));
    if (rssiTop != kNone) {
        QCOMPARE(countInColumn(image, column, kRssi), image.height() - rssiTop);
    }
    // A bar whose top lies on a level line covers it.
    if (rssiTop > 0) {
        QVERIFY(image.pixelColor(column, rssiTop - 1) != kLevelLine);
    }
    const int maxTop = firstInColumn(image, column, kMax);
    const int bottomOfMax = rssiTop == kNone ? image.height() : rssiTop;
    if (rssiMax > rssi) {
        QVERIFY2(qAbs(maxTop - topRow(rssiMax)) <= 1.0, qPrintable(QString::number(maxTop)));
        QCOMPARE(countInColumn(image, column, kMax), bottomOfMax - maxTop);
    } else {
        QCOMPARE(maxTop, kNone);
    }
}

void TestChartView::channelGrid_data()
{
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QList<int>>("indexes");

    QTest::newRow("start-up captions")
        << QStringList{"7", "11", "15", "19", "23", "27", "31", "35", "39", "43"}
        << QList<int>{0, 4, 8, 12, 16, 20, 24, 28, 32, 36};
    QTest::newRow("captions two channels on")
        << QStringList{"9", "13", "17", "21", "25", "29", "33", "37", "41", "45"}
        << QList<int>{2, 6, 10, 14, 18, 22, 26, 30, 34, 38};
    QTest::newRow("a caption that names no channel")
        << QStringList{"7", "11", "", "19", "23", "27", "31", "35", "39", "43"}
        << QList<int>{0, 4, 12, 16, 20, 24, 28, 32, 36};
}

void TestChartView::channelGrid()
{
    QFETCH(QStringList, captions);
    QFETCH(QList<int>, indexes);

    for (int i = 0; i < kChannelLabelCount; ++i) {
        m_captions[static_cast<std::size_t>(i)] = captions.at(i);
    }
    ChartView view(m_state, [this] { return controls(); });
    const QImage image = view.grab().toImage();

    QList<double> expected;
    for (int index : indexes) {
        expected << (index * 224 + 0.45 * 224) / kTwipsPerPixel;
    }
    const QList<int> actual = runStarts(image, kLevelLine, true, kTopRow);
    QVERIFY2(within(actual, expected), describe(actual, expected).constData());
}

void TestChartView::levelLines_data()
{
    QTest::addColumn<int>("outerHeight");
    QTest::addColumn<int>("lines");

    QTest::newRow("start-up height") << 7260 << 7;
    QTest::newRow("9900 exactly") << 9900 << 7;
    QTest::newRow("one pixel taller") << 9915 << 14;
}

void TestChartView::levelLines()
{
    QFETCH(int, outerHeight);
    QFETCH(int, lines);

    m_outerHeight = outerHeight;
    ChartView view(m_state, [this] { return controls(); });
    const QImage image = view.grab().toImage();

    // The middle of channel 2's column has no grid line.
    const int column = static_cast<int>((2 * 224 + 112) / kTwipsPerPixel);
    const int stepDb = 140 / lines;
    QList<double> expected;
    for (int k = 0; k < lines; ++k) {
        expected << (3495 - (140 - stepDb * k) * 23.3) / kTwipsPerPixel;
    }
    const QList<int> actual = runStarts(image, kLevelLine, false, column);
    QVERIFY2(within(actual, expected), describe(actual, expected).constData());
}

void TestChartView::cursorLine_data()
{
    QTest::addColumn<int>("cursor"); // -1: off

    QTest::newRow("off") << -1;
    QTest::newRow("index 0") << 0;
    QTest::newRow("index 17") << 17;
    QTest::newRow("index 39") << 39;
}

void TestChartView::cursorLine()
{
    QFETCH(int, cursor);

    QList<double> expected;
    if (cursor >= 0) {
        m_state.cursorCh = cursor;
        // A bar under the cursor: the line is drawn over it.
        m_state.rssi[static_cast<std::size_t>(cursor)] = -20;
        expected << (cursor * 224 + 0.45 * 224) / kTwipsPerPixel;
    }
    ChartView view(m_state, [this] { return controls(); });
    const QImage image = view.grab().toImage();

    for (int row : {kTopRow, image.height() - 1}) {
        const QList<int> actual = runStarts(image, kCursor, true, row);
        QVERIFY2(within(actual, expected), describe(actual, expected).constData());
    }
}

void TestChartView::blankUntilRefresh()
{
    m_state.rssi.fill(-50);
    m_state.cursorCh = 3;
    ChartView view(m_state, [this] { return controls(); });
    const QColor blank(255, 0, 255);

    view.blankWith(blank);
    QImage expected(view.size(), QImage::Format_RGB32);
    expected.fill(blank);
    QCOMPARE(view.grab().toImage().convertToFormat(QImage::Format_RGB32), expected);

    view.refresh();
    const QImage image = view.grab().toImage();
    QCOMPARE(image.pixelColor(image.width() / 3, image.height() - 1), kRssi);
}

void TestChartView::pressPicksColumn_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<int>("pixelX");
    QTest::addColumn<int>("channel");

    // Column 1 begins at 224 twips, between pixels 14 and 15.
    QTest::newRow("left edge, left button") << Qt::LeftButton << 0 << 0;
    QTest::newRow("last pixel of column 0, right button") << Qt::RightButton << 14 << 0;
    QTest::newRow("first pixel of column 1, middle button") << Qt::MiddleButton << 15 << 1;
    QTest::newRow("past the last column") << Qt::LeftButton << 600 << 39;
}

void TestChartView::pressPicksColumn()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(int, pixelX);
    QFETCH(int, channel);

    ChartView view(m_state, [this] { return controls(); });
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QSignalSpy spy(&view, &ChartView::pressed);
    QVERIFY(spy.isValid());

    constexpr int pixelY = 10;
    QTest::mousePress(&view, button, {}, QPoint(pixelX, pixelY));

    QCOMPARE(spy.count(), 1);
    const auto pos = spy.at(0).at(0).toPointF();
    QCOMPARE(pos, QPointF(pixelX * kTwipsPerPixel, pixelY * kTwipsPerPixel));
    QCOMPARE(xToChannel(static_cast<float>(pos.x()), view.scale().chWidth), channel);
}

QTEST_MAIN(TestChartView)
#include "tst_chartview.moc"
