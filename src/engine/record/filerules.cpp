#include "engine/record/filerules.h"

#include <QDateTime>
#include <QFileInfo>
#include <QRegularExpression>

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
