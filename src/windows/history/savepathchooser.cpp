#include "windows/history/savepathchooser.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>

namespace savepath {

SavePathChooser fileDialog()
{
    return [](QWidget *parent, const QString &title, const QString &proposedPath,
              const QString &filter) {
        return QFileDialog::getSaveFileName(parent, title, proposedPath, filter);
    };
}

SavePathChooser openDialog()
{
    return [](QWidget *parent, const QString &title, const QString &folder, const QString &filter) {
        return QFileDialog::getOpenFileName(parent, title, folder, filter);
    };
}

QString proposed(const QString &folder, const QString &suffix)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString base = folder.isEmpty() ? QDir::homePath() : folder;
    return QDir(base).filePath(QStringLiteral("kvt318-%1.%2").arg(stamp, suffix));
}

} // namespace savepath
