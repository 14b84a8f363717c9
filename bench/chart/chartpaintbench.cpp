// Times one full chart paint at the design size and at 1920 x 1080 pixels, then the CPU that a
// shown chart costs while Timer1 repaints it every 300 ms and nothing else happens.
#include "core/twips.h"
#include "engine/protocol/monitorstate.h"
#include "painters/chartpainter.h"
#include "windows/main/chartview.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;

constexpr int kWarmUpRuns = 20;
constexpr int kMeasuredRuns = 500;
constexpr auto kTickInterval = std::chrono::milliseconds(300);
constexpr auto kIdleDuration = std::chrono::seconds(10);
constexpr int kTallWindow = 9915; // fourteen level lines, the busier picture

chart::ChartContent sampleContent()
{
    chart::ChartContent content;
    content.colours = {Qt::white, Qt::gray, Qt::green, Qt::red, Qt::blue};
    content.outerHeight = kTallWindow;
    MonitorState &readings = content.readings;
    QRandomGenerator random(318);
    for (std::size_t i = 0; i < readings.latest.size(); ++i) {
        readings.latest[i] = static_cast<qint16>(random.bounded(-140, -20));
        readings.highest[i] = static_cast<qint16>(readings.latest[i] + random.bounded(0, 30));
    }
    readings.cursorIndex = 12;
    return content;
}

double medianPaintMs(const chart::ChartContent &content, const QSizeF &sizeTwips)
{
    QImage image(twips::toPixels(sizeTwips.width()), twips::toPixels(sizeTwips.height()),
                 QImage::Format_ARGB32_Premultiplied);
    std::vector<double> times;
    for (int run = 0; run < kWarmUpRuns + kMeasuredRuns; ++run) {
        const auto start = Clock::now();
        {
            QPainter painter(&image);
            chart::ChartPainter chartPainter(painter, sizeTwips);
            chartPainter.paintChart(content);
        }
        if (run >= kWarmUpRuns) {
            times.push_back(Milliseconds(Clock::now() - start).count());
        }
    }
    std::nth_element(times.begin(), times.begin() + static_cast<long>(times.size() / 2),
                     times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const chart::ChartContent content = sampleContent();

    const QSizeF design(9015, 3495);
    const QSizeF fullHd(twips::fromPixels(1920), twips::fromPixels(1080));
    std::printf("full paint, design size 601x233 px: median %.3f ms over %d runs (target < 2)\n",
                medianPaintMs(content, design), kMeasuredRuns);
    std::printf("full paint, 1920x1080 px:           median %.3f ms over %d runs (target < 5)\n",
                medianPaintMs(content, fullHd), kMeasuredRuns);

    chart::ChartView view([&content] { return content; });
    view.show();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &view, &chart::ChartView::refresh);
    tick.start(kTickInterval);
    QTimer::singleShot(kIdleDuration, &app, &QCoreApplication::quit);
    const std::clock_t cpuStart = std::clock();
    QApplication::exec();
    const double cpuSeconds = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    const double wallSeconds = std::chrono::duration<double>(kIdleDuration).count();
    std::printf("shown chart, repainted every 300 ms for %.0f s: %.2f %% of one core "
                "(target < 1)\n",
                wallSeconds, 100.0 * cpuSeconds / wallSeconds);
    return 0;
}
