#include "scriptedlink.h"
#include "settingsfilemaker.h"

#include "ui/formcontrols.h"
#include "ui/mainwindow.h"
#include "ui/twips.h"

#include <QFile>
#include <QLineEdit>
#include <QScopeGuard>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr quint32 kDefaultSeed = 318;
constexpr int kFiles = 1000;

quint32 seedFromEnvironment()
{
    bool ok = false;
    const uint seed = qEnvironmentVariableIntValue("KVT_ROBUST_SEED", &ok);
    return ok ? static_cast<quint32>(seed) : kDefaultSeed;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestSettingsFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startUpReadsWhatItCan();
};

void TestSettingsFiles::startUpReadsWhatItCan()
{
    const quint32 seed = seedFromEnvironment();
    qInfo() << "seed" << seed << "(KVT_ROBUST_SEED overrides it)";
    const QScreen *screen = QGuiApplication::primaryScreen();
    QVERIFY(screen);
    const QSize limit = twips::fromPixels(screen->size()) -
                        QSize(MainWindow::kStartWidth, MainWindow::kStartHeight);
    QVERIFY(limit.width() > 0 && limit.height() > 0);
    const QPoint farthest(twips::toPixels(limit.width()), twips::toPixels(limit.height()));

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    SettingsFileMaker maker(seed, limit);
    SettingsCase c;
    int index = 0;
    const auto context = qScopeGuard([&] {
        if (QTest::currentTestFailed()) {
            qInfo() << "file" << index << c.kind << "starting" << c.bytes.left(300);
        }
    });
    for (; index < kFiles; ++index) {
        c = maker.make(index);
        const QString path = dir.filePath(QStringLiteral("case-%1.ini").arg(index));
        QVERIFY(writeFile(path, c.bytes));

        QString port;
        QPoint at;
        {
            MainWindowServices services;
            services.link = new ScriptedLink;
            services.settingsPath = path;
            const MainWindow window(std::move(services));
            port = window.controls().comPort->text();
            at = window.pos();
        }
        QVERIFY(!port.contains(QLatin1Char('\r')) && !port.contains(QLatin1Char('\n')));
        if (c.port && c.portMayBeCut) {
            QVERIFY2(c.port->startsWith(port), qPrintable(port));
        } else if (c.port) {
            QCOMPARE(port, *c.port);
        }
        if (c.position) {
            QCOMPARE(at, *c.position);
        } else {
            QVERIFY(at.x() >= 0 && at.x() <= farthest.x());
            QVERIFY(at.y() >= 0 && at.y() <= farthest.y());
        }

        // Shutdown rewrites the file as its three records, whatever it had found there.
        const QList<QByteArray> lines = readFile(path).split('\n');
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines.at(0).startsWith("Form1_Top    ," +
                                       QByteArray::number(twips::fromPixels(at.y())) + "  ,"));
        QVERIFY(lines.at(1).startsWith("Form1_Left   ," +
                                       QByteArray::number(twips::fromPixels(at.x())) + "  ,"));
        QVERIFY(lines.at(2).startsWith("ComNo        ,"));
        for (int i = 0; i < 3; ++i) {
            QVERIFY(lines.at(i).endsWith('\r'));
        }
        QVERIFY(lines.at(3).isEmpty());
    }
}

QTEST_MAIN(TestSettingsFiles)
#include "tst_settingsfiles.moc"
