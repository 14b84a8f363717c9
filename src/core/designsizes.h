#pragma once

// Sizes of the monitor window's design, in twips, that more than one part of the program uses.
namespace designsizes {

// The outer size the window opens with; the chart image of kvt318-scan is drawn for it too.
inline constexpr int kStartWidth = 10695;
inline constexpr int kStartHeight = 7260;
// Up to this outer height the vertical layout is fixed; above it the chart grows with the window.
inline constexpr double kLayoutHeight = 7290.0;

} // namespace designsizes
