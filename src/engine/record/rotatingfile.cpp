#include "engine/record/rotatingfile.h"

#include "engine/protocol/reading.h"
#include "engine/record/sweeprecord.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <utility>

namespace {

constexpr std::chrono::milliseconds kDay = std::chrono::hours(24);
constexpr std::chrono::milliseconds kMinute = std::chrono::minutes(1);

qint64 floorTo(qint64 value, qint64 step)
{
    const qint64 rest = value % step;
    return value - (rest < 0 ? rest + step : rest);
}

// The file name split where the stamp goes; a leading dot names a hidden file, no extension.
std::pair<QString, QString> stemAndExtension(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? std::pair(name.left(dot), name.mid(dot)) : std::pair(name, QString());
}

} // namespace

namespace rotation {

qint64 periodStart(qint64 utcMs, std::chrono::milliseconds period)
{
    if (period >= kDay) {
        return floorTo(utcMs, period.count());
    }
    const qint64 midnight = floorTo(utcMs, kDay.count());
    return midnight + floorTo(utcMs - midnight, period.count());
}

QString fileName(const QString &path, qint64 startMs, std::chrono::milliseconds period)
{
    const QString format = period % kDay == kDay.zero() ? QStringLiteral("yyyyMMdd")
                           : period % kMinute == kMinute.zero()
                               ? QStringLiteral("yyyyMMdd'T'HHmm")
                               : QStringLiteral("yyyyMMdd'T'HHmmss");
    const QString stamp = QDateTime::fromMSecsSinceEpoch(startMs, Qt::UTC).toString(format);
    const QFileInfo info(path);
    const auto [stem, extension] = stemAndExtension(info.fileName());
    const QString name = stem + QLatin1Char('-') + stamp + extension;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? name : path.left(slash + 1) + name;
}

bool isRotatedName(const QString &path, const QString &name, std::chrono::milliseconds period)
{
    const auto [stem, extension] = stemAndExtension(QFileInfo(path).fileName());
    const QString time = period % kDay == kDay.zero()         ? QString()
                         : period % kMinute == kMinute.zero() ? QStringLiteral("T[0-9]{4}")
                                                              : QStringLiteral("T[0-9]{6}");
    const QRegularExpression pattern(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(stem) + QStringLiteral("-[0-9]{8}") + time +
        QRegularExpression::escape(extension)));
    return pattern.match(name).hasMatch();
}

} // namespace rotation

RotatingFile::RotatingFile(QString path, RecordFormat format, WriterSettings settings,
                           FileRules rules)
    : m_path(std::move(path))
    , m_format(format)
    , m_settings(std::move(settings))
    , m_rules(rules)
    , m_guard(SpaceGuard::forFile(m_path, m_rules.minFreeBytes))
{}

RotatingFile::~RotatingFile() = default;

bool RotatingFile::open(std::optional<qint64> firstUtcMs)
{
    if (m_rules.rotate) {
        m_period = rotation::periodStart(firstUtcMs.value_or(QDateTime::currentMSecsSinceEpoch()),
                                         *m_rules.rotate);
    }
    // A file system already below the floor gets no file, not even a header, until there is
    // room: a service restarted on a full disk must not fail at its first write again.
    if (!m_guard.admits(currentPath(), m_notices, true)) {
        return true;
    }
    m_file = std::make_unique<RecordFile>(currentPath(), m_format, m_settings);
    if (!m_file->open()) {
        m_error = m_file->errorString();
        m_file.reset();
        return false;
    }
    deleteOldFiles();
    return true;
}

QString RotatingFile::displayName() const
{
    return m_path == QLatin1String("-") ? QStringLiteral("standard output") : m_path;
}

bool RotatingFile::writeHeader()
{
    return !m_file || checked(m_file->writeHeader());
}

bool RotatingFile::writeSweep(const SweepRecord &sweep)
{
    return write(sweep.utcMs, [&sweep](RecordFile &file) { return file.writeSweep(sweep); });
}

bool RotatingFile::writeReading(const Reading &reading)
{
    return write(reading.utcMs,
                 [&reading](RecordFile &file) { return file.writeReading(reading); });
}

template <typename Row> bool RotatingFile::write(qint64 utcMs, const Row &row)
{
    bool newFile = false;
    if (m_rules.rotate) {
        const qint64 period = rotation::periodStart(utcMs, *m_rules.rotate);
        if (period != m_period) {
            if (!closeFile()) {
                return false;
            }
            m_period = period;
            newFile = true;
        }
    }
    if (!m_guard.admits(currentPath(), m_notices, newFile)) {
        m_guard.drop();
        return true;
    }
    if (!m_file && !openFile()) {
        return false;
    }
    return checked(row(*m_file));
}

bool RotatingFile::takesReadings() const
{
    return record::takesReadings(m_format);
}

bool RotatingFile::sync()
{
    return !m_file || checked(m_file->sync());
}

bool RotatingFile::writeEnd()
{
    return !m_file || checked(m_file->writeEnd());
}

bool RotatingFile::reopen()
{
    return closeFile() && (!m_guard.admits(currentPath(), m_notices, true) || openFile());
}

std::vector<FileNotice> RotatingFile::takeNotices()
{
    return std::exchange(m_notices, {});
}

bool RotatingFile::checked(bool done)
{
    if (!done) {
        m_error = m_file->errorString();
    }
    return done;
}

QString RotatingFile::currentPath() const
{
    return m_rules.rotate ? rotation::fileName(m_path, m_period, *m_rules.rotate) : m_path;
}

bool RotatingFile::openFile()
{
    auto file = std::make_unique<RecordFile>(currentPath(), m_format, m_settings);
    if (!file->open() || !file->writeHeader()) {
        m_error = file->errorString();
        return false;
    }
    m_file = std::move(file);
    deleteOldFiles();
    return true;
}

bool RotatingFile::closeFile()
{
    if (!m_file) {
        return true;
    }
    const bool ended = checked(m_file->writeEnd() && m_file->sync());
    m_file.reset();
    return ended;
}

void RotatingFile::deleteOldFiles()
{
    if (!m_rules.rotate || !m_rules.keep) {
        return;
    }
    const QFileInfo output(m_path);
    QDir folder = output.absoluteDir();
    QStringList rotated;
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
        if (rotation::isRotatedName(m_path, name, *m_rules.rotate)) {
            rotated.append(name);
        }
    }
    // The stamps sort as their times do; the file being written stays whatever the clock did.
    const QString current = QFileInfo(currentPath()).fileName();
    rotated.removeAll(current);
    const qsizetype excess = rotated.size() - (*m_rules.keep - 1);
    for (qsizetype i = 0; i < excess; ++i) {
        QFile old(folder.filePath(rotated[i]));
        if (!old.remove()) {
            m_notices.push_back(
                {FileNotice::Kind::NotDeleted, old.fileName(), 0, 0, 0, old.errorString()});
        }
    }
}
