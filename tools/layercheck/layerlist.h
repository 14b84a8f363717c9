#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

// The folders of a source tree in layer order, lowest first, as a list file gives them: one
// folder a line, relative to the source folder ("../bench/scan" stands beside it), '#' starting
// a comment. A folder may use its own headers and those of folders listed above it in another
// group; folders of one group (engine/port and engine/record are both engine's; a top-level
// folder is a group of its own) are independent unless the user's line names the other after a
// colon: "engine/record: engine/protocol".
class LayerList
{
public:
    // Reads the list; an unreadable or empty list, or a line naming what it may not name, leaves
    // an error and no folders.
    static LayerList read(const QString &path);

    [[nodiscard]] const QStringList &folders() const { return m_folders; }
    [[nodiscard]] const QString &error() const { return m_error; }
    // The listed folder that holds a path relative to the source folder, the deepest winning.
    [[nodiscard]] std::optional<int> folderOf(const QString &path) const;
    // Why the folder at `user` may not use the one at `used`, or nothing when it may.
    [[nodiscard]] std::optional<QString> refusal(int user, int used) const;
    // The folders a tree must be searched in for files of no listed folder: the source folder
    // and each folder beside it that the list names.
    [[nodiscard]] QStringList roots() const;

    static QString groupOf(const QString &folder);

private:
    QStringList m_folders;
    // By folder: the folders of its own group it may use.
    QHash<QString, QSet<QString>> m_allowed;
    QString m_error;
};
