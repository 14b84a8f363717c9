#include "engine/occupancy/hourwindows.h"

#include <QRegularExpression>
#include <QStringList>

#include <array>

namespace {

constexpr int kDays = 7;
constexpr int kMinutesPerHour = 60;
const std::array<QLatin1String, kDays> kDayNames{
    QLatin1String("Mon"), QLatin1String("Tue"), QLatin1String("Wed"), QLatin1String("Thu"),
    QLatin1String("Fri"), QLatin1String("Sat"), QLatin1String("Sun")};

std::optional<int> dayOf(const QString &name)
{
    for (int day = 0; day < kDays; ++day) {
        if (name.compare(kDayNames[static_cast<std::size_t>(day)], Qt::CaseInsensitive) == 0) {
            return day;
        }
    }
    return std::nullopt;
}

// "08:00" as minutes of the day; 24:00 only where an end is read.
std::optional<int> minuteOf(const QString &text, bool end)
{
    static const QRegularExpression kTime(QStringLiteral("^([01]?[0-9]|2[0-4]):([0-5][0-9])$"));
    const QRegularExpressionMatch match = kTime.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const int minute = match.captured(1).toInt() * kMinutesPerHour + match.captured(2).toInt();
    if (minute > LocalClock::kMinutesPerDay || (minute == LocalClock::kMinutesPerDay && !end)) {
        return std::nullopt;
    }
    return minute;
}

QString clockText(int minute)
{
    return QStringLiteral("%1:%2")
        .arg(minute / kMinutesPerHour, 2, 10, QLatin1Char('0'))
        .arg(minute % kMinutesPerHour, 2, 10, QLatin1Char('0'));
}

// "Mon-Fri,Sun": the days as bits, Monday first; a range may wrap (Sat-Mon). The wrong item on
// failure.
std::optional<std::array<bool, kDays>> readDays(const QString &text, QString *wrong,
                                                QString *normal)
{
    std::array<bool, kDays> days{};
    QStringList items;
    for (const QString &item : text.split(QLatin1Char(','))) {
        const QStringList ends = item.split(QLatin1Char('-'));
        const auto first = dayOf(ends.first());
        const auto last = ends.size() == 2 ? dayOf(ends.last()) : first;
        if (ends.size() > 2 || !first || !last) {
            *wrong = item;
            return std::nullopt;
        }
        for (int day = *first;; day = (day + 1) % kDays) {
            days[static_cast<std::size_t>(day)] = true;
            if (day == *last) {
                break;
            }
        }
        QString written = kDayNames[static_cast<std::size_t>(*first)];
        if (*last != *first) {
            written += QLatin1Char('-') + kDayNames[static_cast<std::size_t>(*last)];
        }
        items.append(written);
    }
    *normal = items.join(QLatin1Char(','));
    return days;
}

} // namespace

std::optional<HourWindows> HourWindows::parse(const QString &text, QString *error)
{
    HourWindows windows;
    if (text.trimmed().isEmpty()) {
        return windows;
    }
    windows.m_always = false;
    QStringList texts;
    const auto refuse = [error](const QString &window, const QString &why) {
        if (error != nullptr) {
            *error = QStringLiteral("window '%1': %2").arg(window, why);
        }
        return std::nullopt;
    };
    for (const QString &part : text.split(QLatin1Char(';'))) {
        const QString window = part.simplified();
        const QStringList words = window.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.isEmpty() || words.size() > 2) {
            return refuse(window, QStringLiteral("write it as DAYS HH:MM-HH:MM, such as "
                                                 "Mon-Fri 08:00-18:00"));
        }
        std::array<bool, kDays> days;
        days.fill(true);
        QString dayText;
        if (words.size() == 2) {
            QString wrong;
            const auto read = readDays(words.first(), &wrong, &dayText);
            if (!read) {
                return refuse(window, QStringLiteral("'%1' is no day or range of days: use Mon, "
                                                     "Tue, Wed, Thu, Fri, Sat, Sun, such as "
                                                     "Mon-Fri or Sat,Sun")
                                          .arg(wrong));
            }
            days = *read;
        }
        const QStringList times = words.last().split(QLatin1Char('-'));
        const auto start = minuteOf(times.first(), false);
        const auto end = times.size() == 2 ? minuteOf(times.last(), true) : std::nullopt;
        if (times.size() != 2 || !start || !end) {
            return refuse(window, QStringLiteral("'%1' is no span of hours: use HH:MM-HH:MM "
                                                 "from 00:00 to 24:00, such as 08:00-18:00")
                                      .arg(words.last()));
        }
        if (*start == *end) {
            return refuse(window, QStringLiteral("it starts where it ends; a whole day is "
                                                 "00:00-24:00"));
        }
        for (int day = 0; day < kDays; ++day) {
            if (!days[static_cast<std::size_t>(day)]) {
                continue;
            }
            // Past midnight the window goes on into the next day, Sunday into Monday.
            const int length =
                (*end - *start + LocalClock::kMinutesPerDay) % LocalClock::kMinutesPerDay;
            const int first = day * LocalClock::kMinutesPerDay + *start;
            for (int minute = first;
                 minute < first + (length == 0 ? LocalClock::kMinutesPerDay : length); ++minute) {
                windows.m_minutes.set(
                    static_cast<std::size_t>(minute % LocalClock::kMinutesPerWeek));
            }
        }
        const QString span = clockText(*start) + QLatin1Char('-') + clockText(*end);
        texts.append(dayText.isEmpty() ? span : dayText + QLatin1Char(' ') + span);
    }
    windows.m_text = texts.join(QStringLiteral("; "));
    return windows;
}

bool HourWindows::contains(qint64 utcMs) const
{
    return m_always || containsMinute(m_clock.minuteOfWeek(utcMs));
}

bool HourWindows::coversHour(int hour) const
{
    if (m_always) {
        return true;
    }
    for (int day = 0; day < kDays; ++day) {
        const int first = day * LocalClock::kMinutesPerDay + hour * kMinutesPerHour;
        for (int minute = first; minute < first + kMinutesPerHour; ++minute) {
            if (m_minutes.test(static_cast<std::size_t>(minute))) {
                return true;
            }
        }
    }
    return false;
}
