#include "windows/main/settingsfile.h"

#include <QSize>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// A 1920 × 1080 screen and the window at its start-up size, in twips.
const QSize kScreen(28800, 16200);
const QSize kWindow(10695, 7260);

QString found(const StoredSettings &settings)
{
    const auto text = [](const auto &value) {
        return value ? QVariant(*value).toString() : QStringLiteral("-");
    };
    return text(settings.top) + '|' + text(settings.left) + '|' + text(settings.comPort);
}
} // namespace

class TestSettingsLocation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void configFolderFollowsXdg();
    void choice_data();
    void choice();
    void folderBesideExecutable();
};

void TestSettingsLocation::configFolderFollowsXdg()
{
    const QTemporaryDir dir;
    QVERIFY(dir.isValid());
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toLocal8Bit());
    QCOMPARE(SettingsFile::inConfigFolder(),
             dir.filePath(QStringLiteral("config/kvt318-monitor/kvt318-monitor.ini")));
}

// Whether the folder can be written is given, not found: tests run as root, whom no
// permission bit stops.
void TestSettingsLocation::choice_data()
{
    QTest::addColumn<bool>("besideWritable");
    QTest::addColumn<QByteArray>("besideContent"); // empty: no file beside the executable
    QTest::addColumn<QByteArray>("configContent"); // empty: none in the configuration folder
    QTest::addColumn<bool>("inConfigFolder");
    QTest::addColumn<QString>("loaded");

    const QByteArray old("Form1_Top,600,c\r\nForm1_Left,900,c\r\nComNo,COM2,c\r\n");
    const QByteArray kept("Form1_Top,30,c\r\nForm1_Left,45,c\r\nComNo,COM9,c\r\n");
    QTest::newRow("portable copy") << true << old << QByteArray() << false << "600|900|COM2";
    QTest::newRow("installed, first start")
        << false << QByteArray() << QByteArray() << true << "-|-|-";
    QTest::newRow("installed over an old file")
        << false << old << QByteArray() << true << "600|900|COM2";
    QTest::newRow("installed, saved before") << false << old << kept << true << "30|45|COM9";
}

void TestSettingsLocation::choice()
{
    QFETCH(bool, besideWritable);
    QFETCH(QByteArray, besideContent);
    QFETCH(QByteArray, configContent);
    QFETCH(bool, inConfigFolder);
    QFETCH(QString, loaded);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString beside = dir.filePath(QStringLiteral("bin/kvt318-monitor.ini"));
    const QString config = dir.filePath(QStringLiteral("config/kvt318-monitor/kvt318-monitor.ini"));
    const auto write = [](const QString &path, const QByteArray &content) {
        QFile file(path);
        return QDir().mkpath(QFileInfo(path).absolutePath()) && file.open(QIODevice::WriteOnly) &&
               file.write(content) == content.size();
    };
    QVERIFY(besideContent.isEmpty() || write(beside, besideContent));
    QVERIFY(configContent.isEmpty() || write(config, configContent));

    const QString chosen = SettingsFile::choosePath(beside, config, besideWritable);
    QCOMPARE(chosen, inConfigFolder ? config : beside);
    QCOMPARE(QFileInfo::exists(QFileInfo(config).absolutePath()), inConfigFolder);

    const SettingsFile settings(chosen);
    QCOMPARE(found(settings.load(kScreen, kWindow)), loaded);
    settings.save(1200, 2400, QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(found(SettingsFile(chosen).load(kScreen, kWindow)), "1200|2400|/dev/ttyUSB0");
}

void TestSettingsLocation::folderBesideExecutable()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString beside = dir.filePath(QStringLiteral("kvt318-monitor.ini"));
    QVERIFY(SettingsFile::canWriteBeside(beside));
    QVERIFY(!SettingsFile::canWriteBeside(QString()));
}

QTEST_GUILESS_MAIN(TestSettingsLocation)
#include "tst_settingslocation.moc"
