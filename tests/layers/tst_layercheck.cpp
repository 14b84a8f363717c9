#include "includecheck.h"
#include "layerlist.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QByteArray kList = "core\n"
                         "engine/port\n"
                         "engine/record: engine/port # a named sibling\n"
                         "engine/alarm\n"
                         "windows/main\n"
                         "windows/history\n"
                         "programs/monitor\n"
                         "../tools/sim\n"
                         "../bench/support\n"
                         "../bench/a: ../bench/support\n"
                         "../bench/b\n";

// One header in every listed folder, relative to src/.
const QStringList kHeaders = {"core/c.h",
                              "engine/port/p.h",
                              "engine/record/r.h",
                              "engine/alarm/al.h",
                              "windows/main/w.h",
                              "windows/history/h.h",
                              "programs/monitor/m.h",
                              "../tools/sim/t.h",
                              "../bench/support/s.h",
                              "../bench/a/a.h",
                              "../bench/b/b.h"};

bool write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestLayerCheck : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void includes_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("include");
        QTest::addColumn<QString>("problem"); // empty when the include is allowed
        const auto row = [](const char *name, const char *file, const char *include,
                            const char *problem) {
            QTest::newRow(name) << file << include << problem;
        };

        row("lower layer", "windows/main/x.cpp", "core/c.h", "");
        row("own folder", "windows/main/x.cpp", "windows/main/w.h", "");
        row("upward", "core/x.cpp", "windows/main/w.h", "a higher layer");
        row("sibling not named", "windows/history/x.cpp", "windows/main/w.h",
            "a sibling its line does not name");
        row("sibling named", "engine/record/x.cpp", "engine/port/p.h", "");
        row("named by another sibling only", "engine/alarm/x.cpp", "engine/port/p.h",
            "a sibling its line does not name");
        row("src includes a benchmark's header", "programs/monitor/x.cpp", "s.h", "a higher layer");
        row("benchmark uses src", "../bench/b/x.cpp", "programs/monitor/m.h", "");
        row("benchmark uses a tool", "../bench/b/x.cpp", "sim/t.h", "");
        row("benchmark uses another", "../bench/b/x.cpp", "a.h",
            "a sibling its line does not name");
        row("benchmark uses the support it names", "../bench/a/x.cpp", "s.h", "");
        row("tool uses a benchmark", "../tools/sim/x.cpp", "b.h", "a higher layer");
        row("unlisted folder", "stray/x.cpp", "core/c.h", "in no listed layer");
        row("circle", "core/c2.h", "core/c2.h", "include circle");
    }
    void includes()
    {
        QFETCH(QString, file);
        QFETCH(QString, include);
        QFETCH(QString, problem);
        const QTemporaryDir root;
        QVERIFY(root.isValid());
        const QDir src(root.filePath(QStringLiteral("src")));
        QVERIFY(write(src.filePath(QStringLiteral("layers.txt")), kList));
        for (const QString &header : kHeaders) {
            QVERIFY(write(src.filePath(header), "#pragma once\n"));
        }
        QVERIFY(write(src.filePath(file), "#include \"" + include.toUtf8() + "\"\n"));

        const LayerList layers = LayerList::read(src.filePath(QStringLiteral("layers.txt")));
        QCOMPARE(layers.error(), QString());
        const IncludeReport report = IncludeCheck::run(src.path(), layers);
        QCOMPARE(report.files, static_cast<int>(kHeaders.size()) + 1);
        if (problem.isEmpty()) {
            QCOMPARE(report.problems, QStringList());
            QCOMPARE(report.includes, 1);
        } else {
            QCOMPARE(report.problems.size(), 1);
            QVERIFY2(report.problems.first().contains(problem),
                     qPrintable(report.problems.first()));
        }
    }

    // A line may name only siblings above it, so that the list stays one order.
    void namedUses_data()
    {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("sibling above") << QByteArray("engine/a\nengine/b: engine/a\n") << true;
        QTest::newRow("sibling below") << QByteArray("engine/a: engine/b\nengine/b\n") << false;
        QTest::newRow("other group") << QByteArray("core\nengine/b: core\n") << false;
        QTest::newRow("unlisted") << QByteArray("engine/b: engine/z\n") << false;
        QTest::newRow("empty") << QByteArray("# nothing\n") << false;
    }
    void namedUses()
    {
        QFETCH(QByteArray, list);
        QFETCH(bool, accepted);
        const QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString path = root.filePath(QStringLiteral("layers.txt"));
        QVERIFY(write(path, list));
        const LayerList layers = LayerList::read(path);
        QCOMPARE(layers.error().isEmpty(), accepted);
        QCOMPARE(layers.folders().isEmpty(), !accepted);
    }
};

QTEST_GUILESS_MAIN(TestLayerCheck)
#include "tst_layercheck.moc"
