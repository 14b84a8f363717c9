#include "layerlist.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextStream>

namespace {

const QString kBeside = QStringLiteral("../");

} // namespace

LayerList LayerList::read(const QString &path)
{
    LayerList list;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        list.m_error = path + QStringLiteral(": ") + file.errorString();
        return list;
    }
    static const QRegularExpression spaces(QStringLiteral("\\s+"));
    QTextStream in(&file);
    int lineNumber = 0;
    while (!in.atEnd()) {
        ++lineNumber;
        const QString line = in.readLine().section(QLatin1Char('#'), 0, 0).trimmed();
        if (line.isEmpty()) {
            continue;
        }
        const QString folder = line.section(QLatin1Char(':'), 0, 0).trimmed();
        const QStringList uses =
            line.section(QLatin1Char(':'), 1).split(spaces, Qt::SkipEmptyParts);
        for (const QString &used : uses) {
            // A use names a sibling already listed, so that the list stays one order, lowest
            // first, and no two folders can use each other.
            if (!list.m_folders.contains(used) || groupOf(used) != groupOf(folder)) {
                list.m_error = QStringLiteral("%1:%2: %3 may name only a folder of its own group "
                                              "listed above it, not %4")
                                   .arg(path)
                                   .arg(lineNumber)
                                   .arg(folder, used);
                list.m_folders.clear();
                return list;
            }
            list.m_allowed[folder].insert(used);
        }
        list.m_folders.append(folder);
    }
    if (list.m_folders.isEmpty()) {
        list.m_error = path + QStringLiteral(": no layers");
    }
    return list;
}

QString LayerList::groupOf(const QString &folder)
{
    const qsizetype slash = folder.lastIndexOf(QLatin1Char('/'));
    const QString parent = slash < 0 ? QString() : folder.left(slash);
    return parent.isEmpty() || parent == QStringLiteral("..") ? folder : parent;
}

std::optional<int> LayerList::folderOf(const QString &path) const
{
    std::optional<int> found;
    qsizetype longest = 0;
    for (int i = 0; i < m_folders.size(); ++i) {
        const QString prefix = m_folders.at(i) + QLatin1Char('/');
        if (path.startsWith(prefix) && prefix.size() > longest) {
            found = i;
            longest = prefix.size();
        }
    }
    return found;
}

std::optional<QString> LayerList::refusal(int user, int used) const
{
    if (used == user) {
        return std::nullopt;
    }
    if (used > user) {
        return QStringLiteral("a higher layer");
    }
    const QString &from = m_folders.at(user);
    const QString &to = m_folders.at(used);
    if (groupOf(from) == groupOf(to) && !m_allowed.value(from).contains(to)) {
        return QStringLiteral("a sibling its line does not name");
    }
    return std::nullopt;
}

QStringList LayerList::roots() const
{
    QStringList roots{QString()};
    for (const QString &folder : m_folders) {
        if (folder.startsWith(kBeside)) {
            const QString root = folder.section(QLatin1Char('/'), 0, 1);
            if (!roots.contains(root)) {
                roots.append(root);
            }
        }
    }
    return roots;
}
