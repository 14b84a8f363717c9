#include "windows/main/settingsfile.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {
// A 1920 × 1080 screen and the window at its start-up size, in twips.
const QSize kScreen(28800, 16200);
const QSize kWindow(10695, 7260);

const QByteArray kPosition = QStringLiteral("画面位置").toLocal8Bit();
const QByteArray kPort = QStringLiteral("Com通信ポート").toLocal8Bit();

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// What a load found, as "top|left|port", with "-" for each value it did not find.
QString found(const StoredSettings &settings)
{
    const auto text = [](const auto &value) {
        return value ? QVariant(*value).toString() : QStringLiteral("-");
    };
    return text(settings.top) + '|' + text(settings.left) + '|' + text(settings.comPort);
}
} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void load_data();
    void load();
    void save_data();
    void save();
    void missingOrUnusableFile();

private:
    // One directory for every test: each writes the whole file before it reads it.
    QTemporaryDir m_dir;
    const QString m_path = m_dir.filePath("kvt318-monitor.ini");
};

void TestSettingsFile::load_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char *tag, const QByteArray &content, const char *expected) {
        QTest::newRow(tag) << content << QString::fromUtf8(expected);
    };

    row("long line, LF only",
        QByteArray(50000, 'x') + "\nForm1_Top,1200,c\nForm1_Left,0,c\nComNo,COM3,c\n",
        "1200|0|COM3");
    row("hand-edited, no line end after the last record",
        "Form1_Top    ,1200  ,c\r\nForm1_Left   ,2400  ,c\r\nComNo        ,COM5", "1200|2400|COM5");
    row("past the far edges", "Form1_Top,8941,c\r\nForm1_Left,18106,c\r\n", "8940|18105|-");
    row("padded and miscased keys",
        "   Form1_Top \t,  1200 ,x\r\nFORM1_LEFT,3450,x\r\n\tComNo\t,\tCOM7 ,x\r\n"
        "form1_top,99,x\r\ncomno,C,x",
        "1200|-|COM7");
    row("reordered, extra records, later wins, quoted fields",
        "Color,3,x\r\nComNo,\"a, b \" junk,x\r\nForm1_Left,90,x\r\nForm1_Top,60,x\r\n"
        "\"Form1_Top\",\"75\",\"x\"\r\nPort,COM1,x\r\n",
        "75|90|a, b ");
    row("cut short, not numbers",
        "ComNo,COM3,c\r\nForm1_Top    ,1200\r\nForm1_Left   ,\r\nForm1_Left,inf,c\r\n"
        "Form1_Top,12x,c\r\nForm1_Top,nan,c\r\nComNo",
        "1200|-|COM3");
    row("Shift-JIS comments, stray bytes, port not valid text",
        QByteArrayLiteral(
            "Form1_Top,1200,\x89\xe6\x96\xca\x88\xca\x92\x75\r\n\xff\xfe\0\x80,\x81\r\n"
            "Form1_Left,30,\x83\x7c\x81\x5b\x83\x67\r\nComNo,COM\xff\xfe,c\r\n"),
        "1200|30|-");
    row("port cut in the middle of a character keeps the earlier one",
        "ComNo,COM3,c\r\nComNo,COM4\xC3,c\r\n", "-|-|COM3");

    // Past 64 KiB: the record across the limit and everything after it are not read.
    const QByteArray cut = "\r\nForm1_Left,123";
    const QByteArray head =
        QByteArray("Form1_Top,1200,c\r\n").leftJustified(64 * 1024 - cut.size(), '#');
    row("larger than 64 KiB", head + cut + "45,c\r\nForm1_Top,15,c\r\nComNo,COM3,c\r\n",
        "1200|-|-");
}

void TestSettingsFile::load()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);

    QFile file(m_path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    file.close();
    QCOMPARE(found(SettingsFile(m_path).load(kScreen, kWindow)), expected);
    QCOMPARE(fileBytes(m_path), content);
}

void TestSettingsFile::save_data()
{
    QTest::addColumn<QString>("comPort");
    QTest::addColumn<QByteArray>("field"); // empty: stored empty
    const auto row = [](const char *name, const QByteArray &field) {
        QTest::newRow(name) << QString::fromUtf8(name) << field;
    };
    row("COM3", "COM3");
    row("", "");
    row("a,b", "\"a,b\"");
    row(" COM3 ", "\" COM3 \"");
    row("COM3 ", "\"COM3 \"");
    row("ポート1", QStringLiteral("ポート1").toLocal8Bit());
    row("CO\"M3", "");
    row("\"a,b\"", "");
}

void TestSettingsFile::save()
{
    QFETCH(QString, comPort);
    QFETCH(QByteArray, field);

    const SettingsFile settings(m_path);
    // A longer file left behind by the last run.
    settings.save(-1, -1, "a port name longer than any row's");
    settings.save(-150, 0, comPort);
    QCOMPARE(fileBytes(m_path), "Form1_Top    ,-150  ," + kPosition + "\r\nForm1_Left   ,0  ," +
                                    kPosition + "\r\nComNo        ," + field + "  ," + kPort +
                                    "\r\n");
    // Read back for a window larger than the screen. A name the file cannot hold comes back empty.
    QCOMPARE(found(settings.load(kScreen, QSize(30000, 20000))),
             "0|-1200|" + (field.isEmpty() ? "" : comPort));
}

void TestSettingsFile::missingOrUnusableFile()
{
    QCOMPARE(QFileInfo(SettingsFile::besideExecutable()).absoluteFilePath(),
             QCoreApplication::applicationDirPath() + "/tst_settingsfile.ini");

    // A first run creates the file empty and applies nothing; shutdown writes three lines.
    QVERIFY(!QFileInfo::exists(m_path) || QFile::remove(m_path));
    const SettingsFile settings(m_path);
    QCOMPARE(found(settings.load(kScreen, kWindow)), "-|-|-");
    QCOMPARE(fileBytes(m_path), QByteArray(""));
    settings.save(120, 240, QString());
    QCOMPARE(fileBytes(m_path).count("\r\n"), 3);

    // A directory where the file should be, and a file in a directory that does not exist.
    QVERIFY(QFile::remove(m_path) && QDir(m_dir.path()).mkdir("kvt318-monitor.ini"));
    const QString missingDir = m_dir.filePath("gone/kvt318-monitor.ini");
    for (const QString &path : {m_path, missingDir}) {
        const SettingsFile unusable(path);
        QCOMPARE(found(unusable.load(kScreen, kWindow)), "-|-|-");
        unusable.save(15, 30, "COM3");
    }
    QVERIFY(QFileInfo(m_path).isDir());
    QVERIFY(!QFileInfo::exists(missingDir));
}

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
