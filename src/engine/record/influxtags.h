#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

// The tags added to every InfluxDB line after the channel, KEY=VALUE in the order given.
using InfluxTags = QList<std::pair<QString, QString>>;

namespace influx {

// Why a KEY=VALUE tag cannot be written, or nothing when it can. The protocol has no escape for
// a line end or a trailing backslash, and the writer's own tags and "time" are taken.
std::optional<QString> tagProblem(const QString &key, const QString &value);
// Commas, equals signs and spaces escaped with a backslash, as in tag keys and values.
QByteArray escapeTag(const QString &text);

} // namespace influx
