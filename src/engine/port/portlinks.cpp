#include "engine/port/portlinks.h"

#include <QDir>
#include <QFileInfo>

#include <utility>

QStringList PortLinks::systemFolders()
{
    return {QStringLiteral("/dev/serial/by-id"), QStringLiteral("/dev/serial/by-path")};
}

PortLinks::PortLinks(QStringList folders)
    : m_folders(std::move(folders))
{}

QStringList PortLinks::to(const QString &device) const
{
    const QString target = QFileInfo(device).canonicalFilePath();
    QStringList links;
    if (target.isEmpty()) {
        return links;
    }
    for (const QString &folder : m_folders) {
        // Device nodes are neither files nor folders to QDir: System lists them.
        const QFileInfoList entries = QDir(folder).entryInfoList(
            QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
        for (const QFileInfo &entry : entries) {
            if (entry.isSymLink() && entry.canonicalFilePath() == target) {
                links.append(entry.absoluteFilePath());
            }
        }
    }
    return links;
}
