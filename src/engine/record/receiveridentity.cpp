#include "engine/record/receiveridentity.h"

namespace receivername {

namespace {
bool allowed(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
           (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-') ||
           c == QLatin1Char('_') || c == QLatin1Char('.');
}

bool onlyDots(const QString &name)
{
    return name.count(QLatin1Char('.')) == name.size();
}

QString shown(QChar c)
{
    if (c == QLatin1Char(' ')) {
        return QStringLiteral("a space");
    }
    if (c.isPrint()) {
        return QStringLiteral("'%1'").arg(c);
    }
    return QStringLiteral("U+%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
}
} // namespace

std::optional<QString> problem(const QString &name)
{
    if (name.isEmpty()) {
        return QStringLiteral("a receiver name cannot be empty");
    }
    for (const QChar c : name) {
        if (!allowed(c)) {
            return QStringLiteral("a receiver name is letters, digits, '-', '_' and '.', not %1")
                .arg(shown(c));
        }
    }
    // "." and ".." in a file name pattern would name folders.
    if (onlyDots(name)) {
        return QStringLiteral("a receiver name cannot be dots only");
    }
    return std::nullopt;
}

QString reduced(const QString &text)
{
    QString name;
    for (const QChar c : text) {
        if (allowed(c)) {
            name += c;
        }
    }
    return onlyDots(name) ? QString() : name;
}

QString expand(const QString &pattern, const QString &name)
{
    QString path;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar next = i + 1 < pattern.size() ? pattern[i + 1] : QChar();
        if (pattern[i] == QLatin1Char('%') && next == QLatin1Char('r')) {
            path += name;
            ++i;
        } else if (pattern[i] == QLatin1Char('%') && next == QLatin1Char('%')) {
            path += QLatin1Char('%');
            ++i;
        } else {
            path += pattern[i];
        }
    }
    return path;
}

} // namespace receivername
