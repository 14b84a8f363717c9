#pragma once

#include <QFont>

// The two Gothic faces of the window, with the fallbacks for machines without them.
namespace fonts {

// Proportional Gothic ("ＭＳ Ｐゴシック").
QFont proportional(double pointSize, bool bold = false);
// Fixed-pitch Gothic ("ＭＳ ゴシック").
QFont fixed(double pointSize, bool bold = false);
// The desktop's user-interface font, marked as set so that it doesn't inherit the window's.
QFont systemDefault();

} // namespace fonts
