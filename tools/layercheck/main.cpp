// Checks that the includes of a source tree, and of the tools and benchmarks beside it, follow
// its layer list (see layerlist.h): every quoted include names a header its folder may use, and
// no chain of includes leads back to the file it started from.
#include "includecheck.h"
#include "layerlist.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char *argv[])
{
    const QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        std::fputs("usage: layercheck SOURCE_DIR LAYER_LIST\n", stderr);
        return 2;
    }
    const LayerList layers = LayerList::read(args.at(2));
    if (!layers.error().isEmpty()) {
        std::fprintf(stderr, "layercheck: %s\n", qPrintable(layers.error()));
        return 2;
    }
    const IncludeReport report = IncludeCheck::run(args.at(1), layers);
    for (const QString &problem : report.problems) {
        std::fprintf(stderr, "%s\n", qPrintable(problem));
    }
    std::printf("%d files, %d includes, %d layers: %lld problems\n", report.files, report.includes,
                static_cast<int>(layers.folders().size()),
                static_cast<long long>(report.problems.size()));
    return report.problems.isEmpty() ? 0 : 1;
}
