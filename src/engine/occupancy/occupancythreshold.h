#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// Above what a reading is busy: a fixed level, or a margin over each channel's own noise floor.
struct OccupancyThreshold
{
    bool noiseRelative = false;
    qint16 dbm = -100; // when absolute
    qint16 db = 0;     // above the floor, when noise-relative

    // "-100", or "noise+10"; nothing and *error (what is expected) otherwise.
    static std::optional<OccupancyThreshold> parse(const QString &text, QString *error);
    // The way parse() reads it: "-100", "noise+10".
    [[nodiscard]] QString text() const;

    friend bool operator==(const OccupancyThreshold &a, const OccupancyThreshold &b)
    {
        return a.noiseRelative == b.noiseRelative &&
               (a.noiseRelative ? a.db == b.db : a.dbm == b.dbm);
    }
    friend bool operator!=(const OccupancyThreshold &a, const OccupancyThreshold &b)
    {
        return !(a == b);
    }
};
