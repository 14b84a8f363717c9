#include "windows/main/settingsfile.h"

#include "windows/main/settingsrecord.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSize>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {
// Only the first records matter; a file larger than this is not read further.
constexpr qint64 kMaxReadBytes = qint64{64} * 1024;

constexpr char kTopKey[] = "Form1_Top";
constexpr char kLeftKey[] = "Form1_Left";
constexpr char kComPortKey[] = "ComNo";

constexpr char kTopPrefix[] = "Form1_Top    ,";
constexpr char kLeftPrefix[] = "Form1_Left   ,";
constexpr char kComPortPrefix[] = "ComNo        ,";
constexpr char kCommentSeparator[] = "  ,";
constexpr char kLineEnd[] = "\r\n";
const QString kPositionComment = QStringLiteral("画面位置");
const QString kComPortComment = QStringLiteral("Com通信ポート");

// Whole lines only: a line cut by the read limit could carry a cut number.
QByteArray readHead(QFile &file)
{
    QByteArray text = file.read(kMaxReadBytes);
    if (!file.atEnd()) {
        const qsizetype lastEnd = std::max(text.lastIndexOf('\n'), text.lastIndexOf('\r'));
        text.truncate(std::max<qsizetype>(lastEnd, 0));
    }
    return text;
}

std::optional<double> number(const QByteArray &field)
{
    bool ok = false;
    const double value = QString::fromLatin1(field).toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<QString> text(const QByteArray &field)
{
    // Stateless: a character cut off at the end of the field is an error, not "more to come".
    QStringDecoder decoder(QStringDecoder::System, QStringDecoder::Flag::Stateless);
    QString decoded = decoder.decode(field);
    if (decoder.hasError()) {
        return std::nullopt;
    }
    return decoded;
}

// The port name as a field of the file, or empty where the format cannot hold it.
QByteArray comPortField(const QString &comPort)
{
    QStringEncoder encoder(QStringEncoder::System);
    const QByteArray encoded = encoder.encode(comPort);
    if (encoder.hasError()) {
        return {};
    }
    return settingsrecord::field(encoded).value_or(QByteArray());
}

void apply(const QByteArrayList &fields, const QSize &screen, const QSize &window,
           StoredSettings &found)
{
    constexpr qsizetype kKeyAndValue = 2;
    if (fields.size() < kKeyAndValue) {
        return;
    }
    const QByteArray &key = fields.at(0);
    const QByteArray &value = fields.at(1);
    if (key == kTopKey) {
        if (const std::optional<double> top = number(value)) {
            found.top = clampToScreen(*top, screen.height(), window.height());
        }
    } else if (key == kLeftKey) {
        if (const std::optional<double> left = number(value)) {
            found.left = clampToScreen(*left, screen.width(), window.width());
        }
    } else if (key == kComPortKey) {
        if (std::optional<QString> comPort = text(value)) {
            found.comPort = std::move(comPort);
        }
    }
}
} // namespace

int clampToScreen(double value, int screenExtent, int windowExtent)
{
    const int limit = screenExtent - windowExtent;
    if (value >= 0 && value <= limit) {
        return static_cast<int>(std::lround(value));
    }
    if (value < 0) {
        return 0;
    }
    return limit;
}

SettingsFile::SettingsFile(QString path)
    : m_path(std::move(path))
{}

QString SettingsFile::besideExecutable()
{
    const QString executable = QCoreApplication::applicationFilePath();
    if (executable.isEmpty()) {
        return {};
    }
    return QCoreApplication::applicationDirPath() + QDir::separator() +
           QFileInfo(executable).completeBaseName() + QStringLiteral(".ini");
}

QString SettingsFile::inConfigFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/kvt318-monitor/kvt318-monitor.ini");
}

bool SettingsFile::canWriteBeside(const QString &beside)
{
    if (beside.isEmpty()) {
        return false;
    }
    const QFileInfo file(beside);
    return QFileInfo(file.absolutePath()).isWritable() || (file.exists() && file.isWritable());
}

QString SettingsFile::choosePath(const QString &beside, const QString &inConfigFolder,
                                 bool besideWritable)
{
    if (besideWritable) {
        return beside;
    }
    if (!QDir().mkpath(QFileInfo(inConfigFolder).absolutePath())) {
        return inConfigFolder;
    }
    if (!beside.isEmpty() && QFileInfo::exists(beside) && !QFileInfo::exists(inConfigFolder)) {
        // A failed copy leaves no file; the first start then creates an empty one.
        static_cast<void>(QFile::copy(beside, inConfigFolder));
    }
    return inConfigFolder;
}

QString SettingsFile::defaultPath()
{
    const QString beside = besideExecutable();
    return choosePath(beside, inConfigFolder(), canWriteBeside(beside));
}

StoredSettings SettingsFile::load(const QSize &screen, const QSize &window) const
{
    StoredSettings found;
    const QFileInfo info(m_path);
    if (!info.exists()) {
        // A first run leaves the empty file behind, ready for the first save.
        QFile created(m_path);
        if (created.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            created.close();
        }
        return found;
    }
    QFile file(m_path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        return found;
    }
    QByteArray head = readHead(file);
    head.replace('\r', '\n');
    const QByteArrayList lines = head.split('\n');
    for (const QByteArray &line : lines) {
        apply(settingsrecord::fields(line), screen, window, found);
    }
    return found;
}

void SettingsFile::save(int top, int left, const QString &comPort) const
{
    QStringEncoder encoder(QStringEncoder::System);
    const QByteArray positionComment = encoder.encode(kPositionComment);
    const QByteArray comPortComment = encoder.encode(kComPortComment);

    QByteArray text;
    text += kTopPrefix + QByteArray::number(top) + kCommentSeparator + positionComment + kLineEnd;
    text += kLeftPrefix + QByteArray::number(left) + kCommentSeparator + positionComment + kLineEnd;
    text += kComPortPrefix + comPortField(comPort) + kCommentSeparator + comPortComment + kLineEnd;

    QSaveFile file(m_path);
    // A directory that refuses new files may still hold a writable settings file.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly)) {
        return;
    }
    if (file.write(text) != text.size()) {
        file.cancelWriting();
        return;
    }
    static_cast<void>(file.commit());
}
