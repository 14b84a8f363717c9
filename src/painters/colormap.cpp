#include "painters/colormap.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace chart::colormap {

namespace {

constexpr int kLevels = kHighestDbm - kLowestDbm + 1;

// Viridis at eleven evenly spaced points; the steps between them are close enough to linear
// that interpolating keeps the ramp uniform to the eye.
constexpr std::array<QRgb, 11> kAnchors = {
    qRgb(68, 1, 84),    qRgb(72, 36, 117),  qRgb(65, 68, 135),  qRgb(53, 95, 141),
    qRgb(42, 120, 142), qRgb(33, 145, 140), qRgb(34, 168, 132), qRgb(68, 191, 112),
    qRgb(122, 209, 81), qRgb(189, 223, 38), qRgb(253, 231, 37),
};

int mix(int from, int to, double t)
{
    return static_cast<int>(std::lround(from + (to - from) * t));
}

QRgb interpolate(double position)
{
    const double scaled = position * static_cast<double>(kAnchors.size() - 1);
    const auto low = std::min(static_cast<std::size_t>(scaled), kAnchors.size() - 2);
    const double t = scaled - static_cast<double>(low);
    const QRgb a = kAnchors.at(low);
    const QRgb b = kAnchors.at(low + 1);
    return qRgb(mix(qRed(a), qRed(b), t), mix(qGreen(a), qGreen(b), t), mix(qBlue(a), qBlue(b), t));
}

// One entry per whole dBm: painting a waterfall looks up every cell.
const std::array<QRgb, kLevels> &table()
{
    static const std::array<QRgb, kLevels> levels = [] {
        std::array<QRgb, kLevels> built{};
        for (std::size_t i = 0; i < built.size(); ++i) {
            built.at(i) = interpolate(static_cast<double>(i) / (kLevels - 1));
        }
        return built;
    }();
    return levels;
}

} // namespace

QRgb colourFor(int dbm)
{
    const int clamped = std::clamp(dbm, kLowestDbm, kHighestDbm);
    return table()[static_cast<std::size_t>(clamped - kLowestDbm)];
}

QRgb colourForShare(double share)
{
    return interpolate(std::clamp(share, 0.0, 1.0));
}

} // namespace chart::colormap
