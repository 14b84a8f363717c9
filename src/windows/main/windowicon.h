#pragma once

#include <QIcon>

namespace windowicon {

// A small bar chart, drawn rather than shipped as a file.
QIcon make();

} // namespace windowicon
