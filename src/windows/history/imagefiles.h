#pragma once

#include <QString>

class QImage;

namespace imagefiles {

// kvt318-YYYYMMDD-HHMMSS.png in the user's pictures folder, for now.
QString proposedPath();
// Writes the image as a PNG in one piece: an existing file is replaced only once the new one
// is complete. An empty result means success, else "FILE: reason".
QString savePng(const QImage &image, const QString &path);

} // namespace imagefiles
