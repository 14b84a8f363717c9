#include "engine/record/influxtags.h"

#include <QCoreApplication>

namespace influx {

std::optional<QString> tagProblem(const QString &key, const QString &value)
{
    if (key.isEmpty() || value.isEmpty()) {
        return QCoreApplication::translate("influx", "a tag needs a key and a value");
    }
    for (const QString &taken : {QStringLiteral("receiver"), QStringLiteral("port"),
                                 QStringLiteral("channel"), QStringLiteral("time")}) {
        if (key == taken) {
            return QCoreApplication::translate("influx", "the tag key %1 is the program's own")
                .arg(key);
        }
    }
    for (const QString &text : {key, value}) {
        for (const QChar c : text) {
            if (c.category() == QChar::Other_Control || c == QLatin1Char('\\')) {
                return QCoreApplication::translate(
                    "influx", "a tag cannot hold a control character or a backslash");
            }
        }
    }
    return std::nullopt;
}

QByteArray escapeTag(const QString &text)
{
    QByteArray escaped;
    for (const char c : text.toUtf8()) {
        if (c == ',' || c == '=' || c == ' ') {
            escaped += '\\';
        }
        escaped += c;
    }
    return escaped;
}

} // namespace influx
