#pragma once

#include <QRgb>
#include <QtGlobal>

// Levels to colours for the waterfall: a perceptually uniform ramp (viridis) from dark blue
// at the bottom of the chart's scale to yellow at its top, so that equal steps in dBm look
// like equal steps in colour.
namespace chart::colormap {

inline constexpr int kLowestDbm = -140;
inline constexpr int kHighestDbm = 10;

// The colour of a level; levels beyond the scale take the colour of its nearer end.
QRgb colourFor(int dbm);
// The colour of a share from 0 (the ramp's bottom, as a quiet channel's level) to 1 (its top),
// for figures drawn in the waterfall's style; shares beyond take the nearer end's colour.
QRgb colourForShare(double share);

} // namespace chart::colormap
