#include "engine/occupancy/occupancythreshold.h"

#include "core/grammar.h"

#include <limits>

namespace {
// Beyond this the floor plus the margin leaves the module's range.
constexpr qint64 kLargestMargin = 200;
const QLatin1String kNoise("noise+");
} // namespace

std::optional<OccupancyThreshold> OccupancyThreshold::parse(const QString &text, QString *error)
{
    OccupancyThreshold threshold;
    if (text.startsWith(kNoise, Qt::CaseInsensitive)) {
        const auto db = grammar::readInteger(text.mid(kNoise.size()), 0, kLargestMargin);
        threshold.noiseRelative = true;
        threshold.db = static_cast<qint16>(db.value_or(0));
        if (db) {
            return threshold;
        }
    } else if (const auto dbm = grammar::readInteger(text, std::numeric_limits<qint16>::min(),
                                                     std::numeric_limits<qint16>::max())) {
        threshold.dbm = static_cast<qint16>(*dbm);
        return threshold;
    }
    if (error != nullptr) {
        *error = QStringLiteral("a whole number of dBm, or noise+DB with DB from 0 to %1")
                     .arg(kLargestMargin);
    }
    return std::nullopt;
}

QString OccupancyThreshold::text() const
{
    return noiseRelative ? QStringLiteral("noise+%1").arg(db) : QString::number(dbm);
}
