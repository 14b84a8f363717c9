#include "settingsfilemaker.h"

#include "ui/twips.h"

#include <QByteArrayList>

#include <algorithm>

namespace {

constexpr qsizetype kReadLimit = qsizetype{64} * 1024;
constexpr int kRandomFileMax = 4096;
constexpr int kHugeFileMax = 1024 * 1024;
constexpr int kFarOff = 100'000;
constexpr int kByteValues = 256;
// The key padded with blanks; its comma makes the 14 characters of the field.
constexpr int kPaddedKey = 13;
constexpr int kJunkBytesMax = 200;

QByteArray record(const char *key, const QByteArray &value, const QByteArray &comment)
{
    return QByteArray(key).leftJustified(kPaddedKey, ' ') + ',' + value + "  ," + comment;
}

} // namespace

SettingsFileMaker::SettingsFileMaker(quint32 seed, const QSize &limitTwips)
    : m_random(seed)
    , m_limit(limitTwips)
{}

int SettingsFileMaker::below(int bound)
{
    return static_cast<int>(m_random.bounded(bound));
}

QByteArray SettingsFileMaker::bytes(int count)
{
    QByteArray result;
    result.reserve(count);
    for (int i = 0; i < count; ++i) {
        result.append(static_cast<char>(below(kByteValues)));
    }
    return result;
}

// A stored Top or Left and where it must put the window: within the screen as it stands,
// at 0 when negative, at the limit when beyond it.
SettingsFileMaker::Position SettingsFileMaker::position(int limit)
{
    switch (below(3)) {
    case 0: {
        const int pixels = below(std::max(limit / twips::kPerPixel, 0) + 1);
        const int value = std::min(pixels * twips::kPerPixel, std::max(limit, 0));
        return {QByteArray::number(value), twips::toPixels(value)};
    }
    case 1:
        return {QByteArray::number(-1 - below(kFarOff)), 0};
    default:
        return {QByteArray::number(limit + 1 + below(kFarOff)), twips::toPixels(limit)};
    }
}

QByteArray SettingsFileMaker::portName()
{
    static const char *const names[] = {"COM3", "COM12", "/dev/ttyUSB0", "/dev/pts/7",
                                        "",     "COM1x", "ＣＯＭ３"};
    return QByteArray(pick(names));
}

QByteArray SettingsFileMaker::comment()
{
    static const QByteArray shiftJis("\x89\xe6\x96\xca\x88\xca\x92\x75");
    static const char *const texts[] = {"画面位置", "Com通信ポート", "", "x,y,z"};
    return below(3) == 0 ? shiftJis : QByteArray(pick(texts));
}

QByteArray SettingsFileMaker::lineEnd()
{
    static const char *const ends[] = {"\r\n", "\n", "\r", "\n\r", "\r\n\r\n"};
    return pick(ends);
}

SettingsFileMaker::Records SettingsFileMaker::goodRecords(const QByteArray &end)
{
    const Position top = position(m_limit.height());
    const Position left = position(m_limit.width());
    const QByteArray port = portName();
    Records r;
    r.top = record("Form1_Top", top.text, comment()) + end;
    r.left = record("Form1_Left", left.text, comment()) + end;
    r.port = record("ComNo", port, comment()) + end;
    r.position = QPoint(left.pixels, top.pixels);
    r.portText = QString::fromUtf8(port);
    return r;
}

SettingsCase SettingsFileMaker::make(int index)
{
    switch (index % kKinds) {
    case 0:
        return mixedLineEnds();
    case 1:
        return cutShort();
    case 2:
        return randomBytes();
    case 3:
        return huge();
    case 4:
        return misKeyed();
    case 5:
        return quoted();
    case 6:
        return notNumbers();
    default:
        return notText();
    }
}

SettingsCase SettingsFileMaker::mixedLineEnds()
{
    QByteArrayList lines;
    const Records r = goodRecords(QByteArray());
    lines << r.top << r.left << r.port;
    for (int extra = below(4); extra > 0; --extra) {
        lines << record("Form1_Width", QByteArray::number(below(kFarOff)), comment());
    }
    std::shuffle(lines.begin(), lines.end(), m_random);
    SettingsCase c{
        QStringLiteral("line ends mixed, records shuffled"), {}, r.portText, false, r.position};
    for (const QByteArray &line : std::as_const(lines)) {
        c.bytes += line + lineEnd();
    }
    return c;
}

SettingsCase SettingsFileMaker::cutShort()
{
    const Records r = goodRecords("\r\n");
    const QByteArray whole = r.top + r.left + r.port;
    return {QStringLiteral("cut short"), whole.left(below(static_cast<int>(whole.size()))),
            r.portText, true, std::nullopt};
}

SettingsCase SettingsFileMaker::randomBytes()
{
    return {QStringLiteral("random bytes"), bytes(below(kRandomFileMax)), std::nullopt, false,
            std::nullopt};
}

// Records within the first 64 KiB count, anything after it is never read.
SettingsCase SettingsFileMaker::huge()
{
    const int size = static_cast<int>(kReadLimit) + 1 + below(kHugeFileMax);
    if (below(2) == 0) {
        QByteArray line(size, 'x');
        return {QStringLiteral("one line larger than 64 KiB"),
                line + "\r\n" + goodRecords("\r\n").port, QString(), false, QPoint(0, 0)};
    }
    const Records r = goodRecords("\r\n");
    QByteArray file = r.top + r.left + r.port;
    while (file.size() < size) {
        file += record("Junk", bytes(below(kJunkBytesMax)).toHex(), comment()) + "\r\n";
    }
    file += record("ComNo", "COM99", "") + "\r\n" + record("Form1_Top", "0", "") + "\r\n";
    return {QStringLiteral("larger than 64 KiB"), file, r.portText, false, r.position};
}

SettingsCase SettingsFileMaker::misKeyed()
{
    static const char *const tops[] = {"form1_top", "FORM1_TOP",  "Form1_Top_",
                                       "Form1 Top", "Form1_Top1", "xForm1_Top"};
    static const char *const lefts[] = {"form1_left", "Form1_LEFT", "Form1Left", "Form1_Lef"};
    static const char *const ports[] = {"comno", "COMNO", "ComNo1", "Com No", "ComN0", "ComNo:"};
    const QByteArray end = lineEnd();
    const QByteArray file = record(pick(tops), "150", comment()) + end +
                            record(pick(lefts), "150", comment()) + end +
                            record(pick(ports), "COM3", comment()) + end;
    return {QStringLiteral("keys miscased or misspelt"), file, QString(), false, QPoint(0, 0)};
}

SettingsCase SettingsFileMaker::quoted()
{
    static const char *const values[] = {"COM 3, x", " COM3 ", ",", "a,b,c", "", "COM3"};
    const QByteArray value = pick(values);
    const Records r = goodRecords("\r\n");
    const QByteArray port = "ComNo        ,\"" + value + "\"  ," + comment() + "\r\n";
    return {QStringLiteral("quoted port name"), r.top + r.left + port, QString::fromUtf8(value),
            false, r.position};
}

SettingsCase SettingsFileMaker::notNumbers()
{
    static const char *const values[] = {"abc",  "1e999", "-1e999", "nan",      "inf", "-inf",
                                         "0x10", "",      "12abc",  "\"150\"x", "--5", "1.5.5"};
    const Records r = goodRecords("\r\n");
    const QByteArray file = record("Form1_Top", pick(values), comment()) + "\r\n" +
                            record("Form1_Left", pick(values), comment()) + "\r\n" + r.port;
    return {QStringLiteral("positions that are no numbers"), file, r.portText, false, std::nullopt};
}

// A port name that is not valid text keeps Com_Port empty; the positions still apply.
SettingsCase SettingsFileMaker::notText()
{
    const Records r = goodRecords("\r\n");
    QByteArray value = "COM\xff\xfe" + bytes(below(4));
    for (const char separator : {',', '"', '\r', '\n'}) {
        value.replace(separator, ' ');
    }
    const QByteArray port = record("ComNo", value, comment()) + "\r\n";
    return {QStringLiteral("port name not valid text"), r.top + r.left + port, QString(), false,
            r.position};
}
