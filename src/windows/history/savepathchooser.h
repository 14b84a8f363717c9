#pragma once

#include <QString>

#include <functional>

class QWidget;

// Asks where to save a file, proposing a path; an empty result means the user cancelled.
// Tests put a chooser of their own in place of the file dialog.
using SavePathChooser = std::function<QString(QWidget *parent, const QString &title,
                                              const QString &proposedPath, const QString &filter)>;

namespace savepath {

SavePathChooser fileDialog();
// The same question for a file to open.
SavePathChooser openDialog();
// prefix-YYYYMMDD-HHMMSS.suffix in a standard folder of the user, for now.
QString proposed(const QString &folder, const QString &suffix);

} // namespace savepath
