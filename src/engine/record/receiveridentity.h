#pragma once

#include <QString>

#include <optional>

// Which receiver heard a recording: the name it goes by in every record, topic, tag and file
// name, and what the module said of itself and where it is attached, where known.
struct ReceiverIdentity
{
    QString name;
    // From the module's answer to "@FV": "KVT-318M" and "Ver1.00"; empty while unknown.
    QString model;
    QString firmware;
    // The port as given ("/dev/ttyUSB0"); empty for a replay.
    QString port;
};

namespace receivername {

// What is wrong with a receiver name, naming the character, or nothing. A name is letters,
// digits, '-', '_' and '.', so that it stands as it is in a topic level, a tag and a file name.
std::optional<QString> problem(const QString &name);
// The text with every character a name cannot hold left out; empty when nothing is left.
QString reduced(const QString &text);
// "%r" in a file name pattern becomes the name, "%%" a single '%'; anything else stays.
QString expand(const QString &pattern, const QString &name);

} // namespace receivername
