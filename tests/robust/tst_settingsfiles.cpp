#include "scriptedlink.h"

#include "ui/mainwindow.h"
#include "ui/twips.h"

#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <array>

namespace {

constexpr quint32 kDefaultSeed = 318;
// Seven kinds of file: 1,001 in all.
constexpr int kFilesPerKind = 143;
constexpr int kReadLimit = 64 * 1024;
constexpr int kFarOff = 100'000;
constexpr int kJunkMax = 4096;
constexpr int kByteValues = 256;
// The key padded with blanks; its comma makes the 14 characters of the field.
constexpr int kPaddedKey = 13;

enum class Damage { None, CutShort, RandomBytes, JunkAfter, MisKeyed, Unreadable, PastReadLimit };

// A port name as the file holds it and as Com_Port must show it.
struct PortField
{
    const char *field;
    const char *name;
};
constexpr std::array<PortField, 8> kPorts{{{"COM3", "COM3"},
                                           {"COM12", "COM12"},
                                           {"/dev/ttyUSB0", "/dev/ttyUSB0"},
                                           {"  /dev/pts/7 ", "/dev/pts/7"},
                                           {"\"COM 3, x\"", "COM 3, x"},
                                           {"\" COM3 \"", " COM3 "},
                                           {"\"COM7\"junk", "COM7"},
                                           {"ＣＯＭ３", "ＣＯＭ３"}}};
const QByteArrayList kComments{"画面位置", "Com通信ポート", "", "x,y,z",
                               "\x89\xe6\x96\xca\x88\xca\x92\x75"};
const QByteArrayList kLineEnds{"\r\n", "\n", "\r", "\n\r", "\r\n\r\n"};
const QByteArrayList kWrongTops{"form1_top", "FORM1_TOP", "Form1_Top_", "Form1 Top", "xForm1_Top"};
const QByteArrayList kWrongLefts{"form1_left", "Form1_LEFT", "Form1Left", "Form1_Lef"};
const QByteArrayList kWrongPorts{"comno", "COMNO", "ComNo1", "Com No", "ComN0", "ComNo:"};
const QByteArrayList kNotNumbers{"abc",  "1e999", "-1e999", "nan", "inf",  "-inf",
                                 "0x10", "",      "12abc",  "--5", "1.5.5"};
const QByteArrayList kNotText{"COM\xff\xfe", "\xc3\x28", "COM\xed\xa0\x80", "\xf8\x88\x80\x80\x80"};

const QByteArray &pick(QRandomGenerator &random, const QByteArrayList &choices)
{
    return choices.at(random.bounded(choices.size()));
}

QByteArray randomBytes(QRandomGenerator &random, int count)
{
    QByteArray bytes(count, Qt::Uninitialized);
    std::generate(bytes.begin(), bytes.end(),
                  [&] { return static_cast<char>(random.bounded(kByteValues)); });
    return bytes;
}

QByteArray record(QRandomGenerator &random, const QByteArray &key, const QByteArray &value)
{
    return key.leftJustified(kPaddedKey) + ',' + value + "  ," + pick(random, kComments) +
           pick(random, kLineEnds);
}

// The three records of a sound file and what they must make of the window.
struct Good
{
    QByteArray records;
    QString port;
    QPoint at;
};

// A stored Top or Left (within the screen, before it or far beyond it) and the pixel it
// puts the window at.
std::pair<QByteArray, int> position(QRandomGenerator &random, int limit)
{
    const std::array values{random.bounded(0, limit + 1), -random.bounded(1, kFarOff),
                            limit + random.bounded(1, kFarOff)};
    const int value = values.at(random.bounded(3));
    return {QByteArray::number(value), twips::toPixels(std::clamp(value, 0, limit))};
}

Good goodRecords(QRandomGenerator &random, const QSize &limit)
{
    const auto [top, y] = position(random, limit.height());
    const auto [left, x] = position(random, limit.width());
    const PortField &port = kPorts.at(random.bounded(static_cast<int>(kPorts.size())));
    return {record(random, "Form1_Top", top) + record(random, "Form1_Left", left) +
                record(random, "ComNo", port.field),
            QString::fromUtf8(port.name), QPoint(x, y)};
}

// Records that would change the port and move the window, if they were read.
QByteArray overriding(QRandomGenerator &random, const Good &good, const QSize &limit,
                      const std::array<QByteArray, 3> &keys)
{
    const auto elsewhere = [](int pixels, int limitTwips) {
        return QByteArray::number(pixels == 0 ? limitTwips + 1 : -1);
    };
    return record(random, keys[0], "COM99") +
           record(random, keys[1], elsewhere(good.at.y(), limit.height())) +
           record(random, keys[2], elsewhere(good.at.x(), limit.width()));
}

QByteArray damaged(QRandomGenerator &random, Damage damage, const Good &good, const QSize &limit)
{
    switch (damage) {
    case Damage::None:
        return good.records;
    case Damage::CutShort:
        return good.records.left(random.bounded(good.records.size()));
    case Damage::RandomBytes:
        return randomBytes(random, random.bounded(kJunkMax));
    case Damage::JunkAfter:
        return good.records + randomBytes(random, random.bounded(kJunkMax));
    case Damage::MisKeyed:
        return good.records + overriding(random, good, limit,
                                         {pick(random, kWrongPorts), pick(random, kWrongTops),
                                          pick(random, kWrongLefts)});
    case Damage::Unreadable:
        return good.records + record(random, "Form1_Top", pick(random, kNotNumbers)) +
               record(random, "Form1_Left", pick(random, kNotNumbers)) +
               record(random, "ComNo", pick(random, kNotText));
    case Damage::PastReadLimit: {
        // The first late record reaches the limit, its line end lies beyond it; a reader that
        // took it, or a part of it, would change the port.
        const QByteArray late =
            overriding(random, good, limit, {"ComNo", "Form1_Top", "Form1_Left"});
        const auto firstLength = static_cast<int>(
            std::find_if(late.begin(), late.end(), [](char c) { return c == '\r' || c == '\n'; }) -
            late.begin());
        const int start = kReadLimit - random.bounded(firstLength + 1);
        return good.records +
               randomBytes(random, start - 1 - static_cast<int>(good.records.size())) + '\n' +
               late + randomBytes(random, random.bounded(4 * kReadLimit));
    }
    }
    return {};
}

} // namespace

Q_DECLARE_METATYPE(Damage)

class TestSettingsFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startUpReadsWhatItCan_data();
    void startUpReadsWhatItCan();
};

void TestSettingsFiles::startUpReadsWhatItCan_data()
{
    QTest::addColumn<Damage>("damage");
    QTest::newRow("line ends mixed") << Damage::None;
    QTest::newRow("cut short") << Damage::CutShort;
    QTest::newRow("random bytes") << Damage::RandomBytes;
    QTest::newRow("junk after the records") << Damage::JunkAfter;
    QTest::newRow("keys miscased or misspelt") << Damage::MisKeyed;
    QTest::newRow("values unreadable") << Damage::Unreadable;
    QTest::newRow("records past 64 KiB") << Damage::PastReadLimit;
}

void TestSettingsFiles::startUpReadsWhatItCan()
{
    QFETCH(Damage, damage);
    // KVT_ROBUST_SEED picks another run.
    QRandomGenerator random(kDefaultSeed + static_cast<quint32>(damage) +
                            static_cast<quint32>(qEnvironmentVariableIntValue("KVT_ROBUST_SEED")));
    const QSize limit = twips::fromPixels(QGuiApplication::primaryScreen()->size()) -
                        QSize(MainWindow::kStartWidth, MainWindow::kStartHeight);
    QVERIFY(limit.width() > 0 && limit.height() > 0);
    const QRect screen(QPoint(0, 0),
                       QPoint(twips::toPixels(limit.width()), twips::toPixels(limit.height())));

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile file(dir.filePath(QStringLiteral("monitor.ini")));
    QByteArray bytes;
    const auto context = qScopeGuard([&] {
        if (QTest::currentTestFailed()) {
            qInfo() << "file starting" << bytes.left(300);
        }
    });
    for (int i = 0; i < kFilesPerKind; ++i) {
        const Good good = goodRecords(random, limit);
        bytes = damaged(random, damage, good, limit);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();

        MainWindowServices services;
        services.link = new ScriptedLink;
        services.settingsPath = file.fileName();
        const MainWindow window(std::move(services));
        const QString port = window.controls().comPort->text();
        const QPoint at = window.pos();
        QVERIFY(screen.contains(at));
        QVERIFY(!port.contains(QLatin1Char('\r')) && !port.contains(QLatin1Char('\n')));
        if (damage == Damage::CutShort) {
            QVERIFY2(good.port.startsWith(port), qPrintable(port));
        } else if (damage != Damage::RandomBytes) {
            QCOMPARE(port, good.port);
            QCOMPARE(at, good.at);
        }
    }
}

QTEST_MAIN(TestSettingsFiles)
#include "tst_settingsfiles.moc"
