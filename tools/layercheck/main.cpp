// Checks that the includes of a source tree follow its layer list: every quoted include
// names a header of the file's own folder or of a folder listed before it, and no chain of
// includes leads back to the file it started from.
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QStringList>
#include <QTextStream>

#include <cstdio>
#include <optional>

namespace {

QStringList readLayers(const QString &path, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        error = path + QStringLiteral(": ") + file.errorString();
        return {};
    }
    QStringList layers;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (!line.isEmpty() && !line.startsWith(QLatin1Char('#'))) {
            layers.append(line);
        }
    }
    return layers;
}

// The position in the list of the folder that holds path, the deepest listed folder winning.
std::optional<int> layerOf(const QString &path, const QStringList &layers)
{
    std::optional<int> found;
    qsizetype longest = 0;
    for (int i = 0; i < layers.size(); ++i) {
        const QString prefix = layers.at(i) + QLatin1Char('/');
        if (path.startsWith(prefix) && prefix.size() > longest) {
            found = i;
            longest = prefix.size();
        }
    }
    return found;
}

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

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        std::fputs("usage: layercheck SOURCE_DIR LAYER_LIST\n", stderr);
        return 2;
    }
    const QDir root(QDir(args.at(1)).absolutePath());
    QString error;
    const QStringList layers = readLayers(args.at(2), error);
    if (layers.isEmpty()) {
        std::fprintf(
            stderr, "layercheck: %s\n",
            qPrintable(error.isEmpty() ? args.at(2) + QStringLiteral(": no layers") : error));
        return 2;
    }

    QStringList problems;
    QHash<QString, QStringList> edges;
    int files = 0;
    int includes = 0;
    QDirIterator it(root.path(), {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = root.relativeFilePath(it.next());
        ++files;
        const std::optional<int> own = layerOf(file, layers);
        if (!own) {
            problems.append(file + QStringLiteral(": in no listed layer"));
            continue;
        }
        for (const QString &header : quotedIncludes(root.filePath(file))) {
            if (!root.exists(header)) {
                continue; // a generated header or one beside the file, not a layer's
            }
            ++includes;
            edges[file].append(header);
            const std::optional<int> theirs = layerOf(header, layers);
            if (!theirs || *theirs > *own) {
                problems.append(QStringLiteral("%1 (%2) includes %3 (%4), a higher layer")
                                    .arg(file, layers.at(*own), header,
                                         theirs ? layers.at(*theirs) : QStringLiteral("none")));
            }
        }
    }
    if (const std::optional<QString> circle = CycleFinder(edges).find()) {
        problems.append(QStringLiteral("include circle: ") + *circle);
    }
    for (const QString &problem : problems) {
        std::fprintf(stderr, "%s\n", qPrintable(problem));
    }
    std::printf("%d files, %d includes, %d layers: %lld problems\n", files, includes,
                static_cast<int>(layers.size()), static_cast<long long>(problems.size()));
    return problems.isEmpty() ? 0 : 1;
}
