#include "app/settingsfile.h"

#include <QSize>
#include <QTemporaryDir>
#include <QtTest>

// A 1920 × 1080 screen and the window at its start-up size, in twips.
namespace {
const QSize kScreen(28800, 16200);
const QSize kWindow(10695, 7260);
const int kTopLimit = kScreen.height() - kWindow.height();
const int kLeftLimit = kScreen.width() - kWindow.width();

const QByteArray kPosition = QStringLiteral("画面位置").toLocal8Bit();
const QByteArray kPort = QStringLiteral("Com通信ポート").toLocal8Bit();

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

template <typename T> QVariant variant(const std::optional<T> &value)
{
    return value ? QVariant::fromValue(*value) : QVariant();
}
} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void missingFileCreatedEmpty();
    void pathBesideExecutable();
    void clamp_data();
    void clamp();
    void savedBytes_data();
    void savedBytes();
    void load_data();
    void load();
    void roundTrip_data();
    void roundTrip();
    void unusablePathsSkipped();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void TestSettingsFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath("kvt318-monitor.ini");
}

void TestSettingsFile::missingFileCreatedEmpty()
{
    const SettingsFile settings(m_path);
    const StoredSettings found = settings.load(kScreen, kWindow);
    QVERIFY(!found.top && !found.left && !found.comPort);
    QVERIFY(QFileInfo(m_path).isFile());
    QCOMPARE(QFileInfo(m_path).size(), 0);

    settings.save(120, 240, QString());
    QCOMPARE(fileBytes(m_path).count("\r\n"), 3);
}

void TestSettingsFile::pathBesideExecutable()
{
    const QFileInfo path(SettingsFile::besideExecutable());
    QCOMPARE(path.absolutePath(), QCoreApplication::applicationDirPath());
    QCOMPARE(path.fileName(), "tst_settingsfile.ini");
}

void TestSettingsFile::clamp_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("screen");
    QTest::addColumn<int>("window");
    QTest::addColumn<int>("expected");

    QTest::newRow("inside") << 1200.0 << 16200 << 7260 << 1200;
    QTest::newRow("at the far edge") << 8940.0 << 16200 << 7260 << 8940;
    QTest::newRow("beyond the far edge") << 8941.0 << 16200 << 7260 << 8940;
    QTest::newRow("at 0") << 0.0 << 16200 << 7260 << 0;
    QTest::newRow("negative") << -15.0 << 16200 << 7260 << 0;
    QTest::newRow("window larger, stored 0") << 0.0 << 6000 << 7260 << -1260;
    QTest::newRow("window larger, stored inside") << 500.0 << 6000 << 7260 << -1260;
    QTest::newRow("window larger, stored negative") << -1.0 << 6000 << 7260 << 0;
}

void TestSettingsFile::clamp()
{
    QFETCH(double, value);
    QFETCH(int, screen);
    QFETCH(int, window);
    QFETCH(int, expected);
    QCOMPARE(clampToScreen(value, screen, window), expected);
}

void TestSettingsFile::savedBytes_data()
{
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("left");
    QTest::addColumn<QString>("comPort");
    QTest::addColumn<QByteArray>("portField");

    QTest::newRow("COM3") << 1200 << 3450 << "COM3" << QByteArray("COM3");
    QTest::newRow("negative, empty port") << -150 << 0 << "" << QByteArray();
    QTest::newRow("comma quoted") << 15 << 30 << "a,b" << QByteArray("\"a,b\"");
}

void TestSettingsFile::savedBytes()
{
    QFETCH(int, top);
    QFETCH(int, left);
    QFETCH(QString, comPort);
    QFETCH(QByteArray, portField);

    QVERIFY(writeBytes(m_path, "Old,1,stale\r\nExtra,2,stale\r\nMore,3,stale\r\nLast,4,x\r\n"));
    SettingsFile(m_path).save(top, left, comPort);
    const QByteArray expected = "Form1_Top    ," + QByteArray::number(top) + "  ," + kPosition +
                                "\r\nForm1_Left   ," + QByteArray::number(left) + "  ," +
                                kPosition + "\r\nComNo        ," + portField + "  ," + kPort +
                                "\r\n";
    QCOMPARE(fileBytes(m_path), expected);
}

void TestSettingsFile::load_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QVariant>("top");
    QTest::addColumn<QVariant>("left");
    QTest::addColumn<QVariant>("comPort");

    const QByteArray saved = "Form1_Top    ,1200  ," + kPosition + "\r\nForm1_Left   ,3450  ," +
                             kPosition + "\r\nComNo        ,COM3  ," + kPort + "\r\n";
    const QVariant none;
    QTest::newRow("as saved") << saved << QVariant(1200) << QVariant(3450) << QVariant("COM3");
    QTest::newRow("LF only") << QByteArray(saved).replace("\r\n", "\n") << QVariant(1200)
                             << QVariant(3450) << QVariant("COM3");
    QTest::newRow("beyond both edges") << QByteArray("Form1_Top,99999,c\r\nForm1_Left,-300,c\r\n")
                                       << QVariant(kTopLimit) << QVariant(0) << none;
    QTest::newRow("right edge") << QByteArray("Form1_Left,30000,c\r\n") << none
                                << QVariant(kLeftLimit) << none;
    QTest::newRow("padded keys, tabs")
        << QByteArray("   Form1_Top \t,  1200 ,x\r\n\tComNo\t,\tCOM7 ,x\r\n") << QVariant(1200)
        << none << QVariant("COM7");
    QTest::newRow("miscased keys")
        << QByteArray("form1_top,1200,x\r\nFORM1_LEFT,3450,x\r\ncomno,C,x") << none << none << none;
    QTest::newRow("reordered, extra records, later wins")
        << QByteArray("Color,3,x\r\nComNo,COM9,x\r\nForm1_Left,90,x\r\nForm1_Top,60,x\r\n"
                      "Form1_Top,75,x\r\nPort,COM1,x\r\n")
        << QVariant(75) << QVariant(90) << QVariant("COM9");
    QTest::newRow("empty port") << QByteArray("ComNo        ,  ," + kPort + "\r\n") << none << none
                                << QVariant("");
    QTest::newRow("quoted fields")
        << QByteArray("\"Form1_Top\",\"1200\",\"x\"\r\nComNo,\"a, b \" junk,x\r\n")
        << QVariant(1200) << none << QVariant("a, b ");
    QTest::newRow("cut short") << QByteArray("Form1_Top    ,1200\r\nForm1_Left   ,\r\nComNo")
                               << QVariant(1200) << none << none;
    QTest::newRow("not numbers") << QByteArray("Form1_Top,12x,c\r\nForm1_Left,inf,c\r\n"
                                               "Form1_Top,nan,c\r\nComNo,COM3,c")
                                 << none << none << QVariant("COM3");
    QTest::newRow("Shift-JIS comments, stray bytes")
        << QByteArrayLiteral(
               "Form1_Top,1200,\x89\xe6\x96\xca\x88\xca\x92\x75\r\n\xff\xfe\0\x80,\x81\r\n"
               "Form1_Left,30,\x83\x7c\x81\x5b\x83\x67\r\n")
        << QVariant(1200) << QVariant(30) << none;
    QTest::newRow("port not valid text")
        << QByteArray("ComNo,COM\xff\xfe,c\r\n") << none << none << none;
    QTest::newRow("long line") << QByteArray(50000, 'x') + "\r\n" + saved << QVariant(1200)
                               << QVariant(3450) << QVariant("COM3");

    // A file past 64 KiB: the record across the limit and everything after it are not read.
    const QByteArray head = "Form1_Top,1200,c\r\n";
    const QByteArray cut = "Form1_Left,123";
    const QByteArray filler = QByteArray(64 * 1024 - head.size() - cut.size() - 2, '#') + "\r\n";
    QTest::newRow("larger than 64 KiB")
        << head + filler + cut + "45,c\r\nForm1_Top,15,c\r\nComNo,COM3,c\r\n"
        << QVariant(1200) << none << none;
}

void TestSettingsFile::load()
{
    QFETCH(QByteArray, content);
    QFETCH(QVariant, top);
    QFETCH(QVariant, left);
    QFETCH(QVariant, comPort);

    QVERIFY(writeBytes(m_path, content));
    const StoredSettings found = SettingsFile(m_path).load(kScreen, kWindow);
    QCOMPARE(variant(found.top), top);
    QCOMPARE(variant(found.left), left);
    QCOMPARE(variant(found.comPort), comPort);
    QCOMPARE(fileBytes(m_path), content);
}

void TestSettingsFile::roundTrip_data()
{
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QString>("restored");

    for (const QString name : {"COM3", "", "/dev/ttyUSB0", "a,b", ",", " COM3 ", "ポート1"}) {
        QTest::addRow("%s", qPrintable(name)) << name << name;
    }
    QTest::newRow("double quote") << "CO\"M3"
                                  << "";
    QTest::newRow("comma and quote") << "\"a,b\""
                                     << "";
}

void TestSettingsFile::roundTrip()
{
    QFETCH(QString, saved);
    QFETCH(QString, restored);

    const SettingsFile settings(m_path);
    settings.save(kTopLimit, 45, saved);
    const StoredSettings found = settings.load(kScreen, kWindow);
    QCOMPARE(found.comPort, std::optional(restored));
    QCOMPARE(found.top, std::optional(kTopLimit));
    QCOMPARE(found.left, std::optional(45));
}

void TestSettingsFile::unusablePathsSkipped()
{
    // A directory where the file should be, and a file in a directory that does not exist.
    QVERIFY(QDir(m_dir->path()).mkdir("kvt318-monitor.ini"));
    const QString missingDir = m_dir->filePath("gone/kvt318-monitor.ini");
    for (const QString &path : {m_path, missingDir}) {
        const SettingsFile settings(path);
        const StoredSettings found = settings.load(kScreen, kWindow);
        QVERIFY(!found.top && !found.left && !found.comPort);
        settings.save(15, 30, "COM3");
    }
    QVERIFY(QFileInfo(m_path).isDir());
    QVERIFY(!QFileInfo::exists(missingDir));
}

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
