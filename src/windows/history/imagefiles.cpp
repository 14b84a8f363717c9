#include "windows/history/imagefiles.h"

#include "windows/history/savepathchooser.h"

#include <QImage>
#include <QImageWriter>
#include <QSaveFile>
#include <QStandardPaths>

namespace imagefiles {

QString proposedPath()
{
    return savepath::proposed(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation),
                              QStringLiteral("png"));
}

QString savePng(const QImage &image, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return path + QLatin1String(": ") + file.errorString();
    }
    QImageWriter writer(&file, "png");
    if (!writer.write(image)) {
        file.cancelWriting();
        return path + QLatin1String(": ") + writer.errorString();
    }
    if (!file.commit()) {
        return path + QLatin1String(": ") + file.errorString();
    }
    return {};
}

} // namespace imagefiles
