#pragma once

#include <QByteArray>
#include <QByteArrayList>

#include <optional>

// One line of the settings file: comma-separated fields read the way BASIC's Input # reads them.
// An unquoted field ends at a comma or the line end and loses the blanks around it; a field
// that begins with a double quote runs to the next double quote, commas and blanks included,
// and whatever follows it up to the next comma is dropped.
namespace settingsrecord {

QByteArrayList fields(const QByteArray &line);

// The value written so that fields() gives it back unchanged: quoted when it holds a comma or
// begins or ends with a blank. Nothing for a value no field can hold (a double quote or a line
// break in it).
std::optional<QByteArray> field(const QByteArray &value);

} // namespace settingsrecord
