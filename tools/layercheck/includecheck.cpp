#include "includecheck.h"

#include "layerlist.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QTextStream>

#include <optional>

namespace {

QStringList quotedIncludes(const QString &path)
{
    static const QRegularExpression include(QStringLiteral(R"re(^\s*#\s*include\s*"([^"]+)")re"));
    QFile file(path);
    QStringList found;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return found;
    }
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QRegularExpressionMatch match = include.match(in.readLine());
        if (match.hasMatch()) {
            found.append(match.captured(1));
        }
    }
    return found;
}

// Every header and source file under the roots, relative to the source folder.
QStringList sourceFiles(const QDir &source, const QStringList &roots)
{
    QStringList files;
    for (const QString &root : roots) {
        QDirIterator it(source.filePath(root), {QStringLiteral("*.h"), QStringLiteral("*.cpp")},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            files.append(QDir::cleanPath(source.relativeFilePath(it.next())));
        }
    }
    return files;
}

// The file a quoted include names, as the build's include folders find it: beside the
// including file, under the source folder or a folder beside it, else the one header of the
// tree with that name (an include folder of the build leads there). Nothing for a header of the
// tree's outside (a generated one, the tests' own).
class HeaderFinder
{
public:
    HeaderFinder(const QDir &source, const QStringList &roots, const QStringList &files)
        : m_source(source)
        , m_roots(roots)
    {
        for (const QString &file : files) {
            m_byName[QFileInfo(file).fileName()].append(file);
        }
    }

    [[nodiscard]] std::optional<QString> find(const QString &includer, const QString &name) const
    {
        QStringList candidates{QFileInfo(includer).path() + QLatin1Char('/') + name};
        for (const QString &root : m_roots) {
            candidates.append(root.isEmpty() ? name : root + QLatin1Char('/') + name);
        }
        for (const QString &candidate : candidates) {
            const QString clean = QDir::cleanPath(candidate);
            if (QFileInfo(m_source.filePath(clean)).isFile()) {
                return clean;
            }
        }
        const QStringList named = m_byName.value(name);
        if (named.size() == 1 && !name.contains(QLatin1Char('/'))) {
            return named.first();
        }
        return std::nullopt;
    }

private:
    const QDir &m_source;
    const QStringList &m_roots;
    QHash<QString, QStringList> m_byName;
};

class CycleFinder
{
public:
    explicit CycleFinder(const QHash<QString, QStringList> &edges)
        : m_edges(edges)
    {}

    // One include circle as "a -> b -> a", or nothing.
    std::optional<QString> find()
    {
        for (auto it = m_edges.cbegin(); it != m_edges.cend(); ++it) {
            if (auto circle = visit(it.key())) {
                return circle;
            }
        }
        return std::nullopt;
    }

private:
    enum class Mark { Open, Done };

    std::optional<QString> visit(const QString &file)
    {
        const auto mark = m_marks.constFind(file);
        if (mark != m_marks.cend()) {
            if (*mark == Mark::Done) {
                return std::nullopt;
            }
            const qsizetype start = m_path.indexOf(file);
            return (m_path.mid(start) + QStringList{file}).join(QStringLiteral(" -> "));
        }
        m_marks.insert(file, Mark::Open);
        m_path.append(file);
        for (const QString &next : m_edges.value(file)) {
            if (auto circle = visit(next)) {
                return circle;
            }
        }
        m_path.removeLast();
        m_marks.insert(file, Mark::Done);
        return std::nullopt;
    }

    const QHash<QString, QStringList> &m_edges;
    QHash<QString, Mark> m_marks;
    QStringList m_path;
};

} // namespace

IncludeReport IncludeCheck::run(const QString &sourceFolder, const LayerList &layers)
{
    const QDir source(QDir(sourceFolder).absolutePath());
    const QStringList roots = layers.roots();
    const QStringList files = sourceFiles(source, roots);
    const HeaderFinder headers(source, roots, files);
    const QStringList &folders = layers.folders();
    IncludeReport report;
    QHash<QString, QStringList> edges;
    for (const QString &file : files) {
        ++report.files;
        const std::optional<int> own = layers.folderOf(file);
        if (!own) {
            report.problems.append(file + QStringLiteral(": in no listed layer"));
            continue;
        }
        for (const QString &name : quotedIncludes(source.filePath(file))) {
            const std::optional<QString> header = headers.find(file, name);
            if (!header) {
                continue;
            }
            ++report.includes;
            edges[file].append(*header);
            const std::optional<int> theirs = layers.folderOf(*header);
            const std::optional<QString> refusal =
                theirs ? layers.refusal(*own, *theirs) : QStringLiteral("in no listed layer");
            if (refusal) {
                report.problems.append(
                    QStringLiteral("%1 (%2) includes %3 (%4), %5")
                        .arg(file, folders.at(*own), *header,
                             theirs ? folders.at(*theirs) : QStringLiteral("none"), *refusal));
            }
        }
    }
    if (const std::optional<QString> circle = CycleFinder(edges).find()) {
        report.problems.append(QStringLiteral("include circle: ") + *circle);
    }
    return report;
}
